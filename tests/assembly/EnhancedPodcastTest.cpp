#include <filesystem>

#include "BuildFixture.h"
#include "TimedTextReader.h"

namespace {
// What a command prints on both streams (ReaderSays alone drops standard error).
std::string AllSaidBy(const std::string& command) { return ReaderSays("(" + command + " 2>&1)"); }

// The track IDs of every 'chap' reference list in the file, in order.
std::vector<std::vector<std::uint32_t>> ChapterLists(const std::string& file) {
  const std::string bytes = ReadFile(file);
  auto big = [&](std::size_t at) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i) v = v << 8 | std::uint8_t(bytes[at + i]);
    return v;
  };
  std::vector<std::vector<std::uint32_t>> lists;
  for (std::size_t at = bytes.find("tref"); at != std::string::npos; at = bytes.find("tref", at + 4)) {
    if (at < 4 || at + 12 > bytes.size() || bytes.compare(at + 8, 4, "chap") != 0) continue;
    const std::uint32_t size = big(at + 4);
    std::vector<std::uint32_t> ids;
    for (std::uint32_t i = 8; i + 4 <= size && at + 4 + i + 4 <= bytes.size(); i += 4) ids.push_back(big(at + 4 + i));
    lists.push_back(ids);
  }
  return lists;
}

std::uint32_t TrackIdOf(const std::string& file, const std::string& stream) {
  return std::uint32_t(std::stoul(Probe(file, stream, "stream=id"), nullptr, 16));
}

// What ffmpeg says while turning every stream, links included, into something: nothing for a clean file.
std::string AllStreamErrors(const std::string& file) {
  return AllSaidBy("ffmpeg -v error -i " + Quote(file) + " -map 0 -c:s ass -f null -");
}

std::vector<TimedTextSample> LinkSamples(const std::string& file) {
  std::vector<TimedTextSample> samples;
  for (const auto& bytes : PacketsOf(file, "s:0")) samples.push_back(ReadTimedTextSample(bytes));
  return samples;
}

std::vector<std::string> FilesNamed(const std::string& folder, const std::string& prefix) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    if (entry.path().filename().string().starts_with(prefix)) names.push_back(entry.path());
  return names;
}
}  // namespace

// Slides, chapters and links of one podcast, as ffmpeg, GStreamer and MediaInfo read them.
TEST(EnhancedPodcast, SlidesChangeAtTheirTimesAndLinksAreSubtitles) {
  BuildFolder f;
  f.Tone("talk.m4a", 12, 44100);
  Picture(f, "one.png", "testsrc2=size=480x270");
  Picture(f, "two.png", "mandelbrot=size=480x270");
  Picture(f, "three.png", "smptebars=size=480x270");
  f.dir.Write("show.pod",
              "[podcast]\nbasename=show\naudiofile=talk.m4a\nimgwidth=480\nimgheight=270\nkeepfinalimages=true\n"
              "intscalefactor=2\n"
              "[editpoint_1]\nchapter=Intro\nimage=one.png\ntitle=Hello\nhref=https://example.org/\n"
              "hreftext=Example\n"
              "[editpoint_2]\nstart=0:0:4.0\nchapter=Middle\nimage=two.png\nhref=&clear\n"
              "[editpoint_3]\nstart=0:0:8.300\nchapter=End\nimage=three.png\nhref=http://two.example/\n"
              "hreftext=Two \xE2\x86\x92\nhreffontsize=24\n");
  const RunResult run = f.Tolva({"-q4", "show.pod"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const std::string out = f.dir.Path("show.m4a");

  EXPECT_EQ(Chapters(out), "0.000000,Intro\n4.000000,Middle\n8.500000,End\n");
  EXPECT_EQ(Probe(out, "v", "stream=codec_name,width,height,nb_frames"), "png,480,270,3");
  // ffmpeg hands the first picture of a track in a 'chap' list once more, as its cover.
  EXPECT_EQ(ReaderSays("ffprobe -v error -select_streams v -show_entries packet=pts_time -of csv=p=0 " + Quote(out)),
            "0.000000\n0.000000\n4.000000\n8.500000\n");
  const std::vector<std::string> titled = FilesNamed(f.dir.path(), "iw_temp");
  ASSERT_EQ(titled.size(), 1u);  // the untitled pictures fit the frame and are used as they are
  const struct {
    const char* at;
    std::string slide;
  } shown[] = {{"1.5", titled[0]}, {"3.9", titled[0]}, {"4.1", f.dir.Path("two.png")},
               {"8.4", f.dir.Path("two.png")}, {"8.6", f.dir.Path("three.png")}, {"11.5", f.dir.Path("three.png")}};
  for (const auto& s : shown) EXPECT_GT(Psnr(FrameAt(f, out, s.at), s.slide), 40) << s.at;
  EXPECT_LT(Psnr(FrameAt(f, out, "1.5"), f.dir.Path("one.png")), 40);  // the title is there

  EXPECT_EQ(Probe(out, "s", "stream=codec_name,width,height"), "mov_text,480,270");
  EXPECT_EQ(ReaderSays("ffprobe -v error -select_streams s -show_entries packet=pts_time,duration_time -of csv=p=0 " +
                       Quote(out)),
            "0.000000,4.000000\n4.000000,4.500000\n8.500000,3.500000\n");
  const std::vector<TimedTextSample> links = LinkSamples(out);
  ASSERT_EQ(links.size(), 3u);
  EXPECT_EQ(links[0].text, "Example");
  ASSERT_TRUE(links[0].href);
  EXPECT_EQ(links[0].href->link, "https://example.org/");
  EXPECT_EQ(links[0].href->endChar, 7);
  EXPECT_TRUE(links[1].ok && links[1].text.empty() && links[1].boxTypes.empty());
  EXPECT_EQ(links[2].boxTypes, (std::vector<std::string>{"href", "styl"}));
  EXPECT_EQ(links[2].styles.at(0).size, 24);
  EXPECT_EQ(SubtitleDescriptionOf(out).box, (QDRect{50, 0, 269, 470}));
  EXPECT_EQ(AllStreamErrors(out), "");

  // The sound's 'chap' list names the chapters, then the slides; no other track has one.
  EXPECT_EQ(ChapterLists(out), (std::vector<std::vector<std::uint32_t>>{
                                   {TrackIdOf(out, "d:0"), TrackIdOf(out, "v:0")}}));
  const std::string streams = ReaderSays("gst-discoverer-1.0 " + Quote(out));
  for (const char* kind : {"audio #", "video #", "subtitles #"}) EXPECT_NE(streams.find(kind), std::string::npos) << kind;
  EXPECT_NE(ReaderSays("mediainfo " + Quote(out)).find(": Middle"), std::string::npos);
  EXPECT_EQ(f.Leftovers(), std::vector<std::string>());
}

// Projects that leave parts out still give movies every reader opens.
TEST(EnhancedPodcast, ProjectsWithoutSomeParts) {
  BuildFolder f;
  f.Tone("talk.m4a", 6, 22050);
  Picture(f, "p.jpg", "testsrc2=size=640x480");
  const std::string head = "audiofile=talk.m4a\nimgwidth=320\nimgheight=240\n";
  const std::string links = "[editpoint_1]\nchapter=A\nimage=p.jpg\nhref=http://a.example/\n"
                            "[editpoint_2]\nstart=0:0:2.300\nchapter=B\nhref=http://b.example/\n";
  const struct {
    const char* name;
    std::string project;
    const char* streams;
  } projects[] = {
      // The first section is a slide even without a picture: a plain frame.
      {"plain", head + "[editpoint_1]\nchapter=A\n[editpoint_2]\nstart=0:0:2.300\nchapter=B\n", "aac\nbin_data\npng\n"},
      {"noimages", head + "addimages=false\n" + links, "aac\nbin_data\n"},
      {"nolinks", head + "[editpoint_1]\nchapter=A\nimage=p.jpg\n[editpoint_2]\nstart=0:0:2.300\nchapter=B\n",
       "aac\nbin_data\npng\n"},
      {"late", head + "[editpoint_1]\nimage=p.jpg\n[editpoint_2]\nstart=0:0:2.300\nchapter=B\nhref=http://b.example/\n",
       "aac\nbin_data\npng\nmov_text\n"},
  };
  for (const auto& p : projects) {
    SCOPED_TRACE(p.name);
    f.dir.Write(std::string(p.name) + ".pod", "[podcast]\nbasename=" + std::string(p.name) + "\n" + p.project);
    const RunResult run = f.Tolva({"-q4", std::string(p.name) + ".pod"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const std::string out = f.dir.Path(std::string(p.name) + ".m4a");
    EXPECT_EQ(ReaderSays("ffprobe -v error -show_entries stream=codec_name -of csv=p=0 " + Quote(out)), p.streams);
    EXPECT_EQ(AllStreamErrors(out), "");
    EXPECT_NE(Chapters(out).find("2.500000,B\n"), std::string::npos);
  }
  EXPECT_EQ(f.Leftovers(), std::vector<std::string>());
}

// Without sound the slide track holds the 'chap' list, naming the chapters alone.
TEST(EnhancedPodcast, WithoutSoundTheSlidesNameTheChapters) {
  BuildFolder f;
  Picture(f, "p.png", "testsrc=size=200x150");
  f.dir.Write("quiet.pod", "[podcast]\nbasename=quiet\nimgwidth=200\nimgheight=150\n"
                           "[editpoint_1]\nimage=p.png\nchapter=One\nlength=0:0:3.0\nhref=http://one.example/\n"
                           "hreftextbox=0 0 0 0\n"
                           "[editpoint_2]\nstart=0:0:3.0\nchapter=Two\nlength=0:0:2.0\n");
  const RunResult run = f.Tolva({"-q4", "quiet.pod"});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string out = f.dir.Path("quiet.m4a");
  EXPECT_EQ(ChapterLists(out), (std::vector<std::vector<std::uint32_t>>{{TrackIdOf(out, "d:0")}}));
  EXPECT_EQ(Chapters(out).substr(0, 15), "0.000000,One\n3.");
  EXPECT_EQ(SubtitleDescriptionOf(out).box, (QDRect{50, 0, 149, 190}));  // the empty box's stand-in
  EXPECT_EQ(AllStreamErrors(out), "");
}

// Broken pictures and texts: the build goes on and says why, and leaves nothing behind.
TEST(EnhancedPodcast, BadInputGivesAMessageAndAReadableMovie) {
  BuildFolder f;
  f.Tone("talk.m4a", 4, 16000);
  const std::string good = Picture(f, "good.png", "testsrc=size=160x120");
  f.dir.Write("cut.png", ReadFile(f.dir.Path(good)).substr(0, 80));
  // A PNG whose header claims 100,000 x 100,000 pixels.
  MustRun("python3 -c \"import struct,zlib,sys;c=lambda t,d:struct.pack('>I',len(d))+t+d+struct.pack('>I',"
          "zlib.crc32(t+d));open(sys.argv[1],'wb').write(b'\\x89PNG\\r\\n\\x1a\\n'+c(b'IHDR',struct.pack('>IIBBBBB',"
          "100000,100000,8,2,0,0,0))+c(b'IDAT',zlib.compress(bytes(100)))+c(b'IEND',b''))\" " +
          Quote(f.dir.Path("huge.png")));
  const std::string head = "audiofile=talk.m4a\nimgwidth=160\nimgheight=120\n[editpoint_1]\nimage=good.png\n"
                           "chapter=A\n[editpoint_2]\nstart=0:0:2.0\nchapter=B\n";
  const struct {
    const char* name;
    std::string second;
    const char* says;
  } projects[] = {
      {"missing", "image=gone.png\n", "does not exists"},
      {"cut", "image=cut.png\n", "failed to prepare the  image"},
      {"huge", "image=huge.png\n", "failed to prepare the  image"},
  };
  for (const auto& p : projects) {
    SCOPED_TRACE(p.name);
    f.dir.Write(std::string(p.name) + ".pod", "[podcast]\nbasename=" + std::string(p.name) + "\n" + head + p.second);
    const RunResult run = f.Tolva({"-q4", std::string(p.name) + ".pod"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find(p.says), std::string::npos) << run.err;
    const std::string out = f.dir.Path(std::string(p.name) + ".m4a");
    EXPECT_EQ(ReaderSays("ffprobe -v error -show_entries stream=codec_name -of csv=p=0 " + Quote(out)),
              "aac\nbin_data\n");
    EXPECT_EQ(Chapters(out), "0.000000,A\n2.000000,B\n");
  }

  const std::string wordy(10000, 'W'), longLink = "http://long.example/" + std::string(300, 'x');
  f.dir.Write("texts.pod", "[podcast]\nbasename=texts\n" + head + "title=" + wordy +
                               "\nhref=" + longLink + "\nhreftext=too long\n"
                               "[editpoint_3]\nstart=0:0:3.0\nhref=http://c.example/\nhreftext=a\x01" "b\x1b" "c\t\n");
  const RunResult run = f.Tolva({"-q4", "texts.pod"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("cannot be clicked"), std::string::npos) << run.err;
  const std::string out = f.dir.Path("texts.m4a");
  EXPECT_EQ(Probe(out, "v", "stream=nb_frames"), "2");
  const std::vector<TimedTextSample> links = LinkSamples(out);
  ASSERT_EQ(links.size(), 3u);  // the first section has no link: an empty sample
  EXPECT_EQ(links[0].text, "");
  EXPECT_EQ(links[1].text, "too long");
  EXPECT_FALSE(links[1].href);
  EXPECT_EQ(links[2].text, "a\x01" "b\x1b" "c");
  ASSERT_TRUE(links[2].href);
  EXPECT_EQ(links[2].href->link, "http://c.example/");
  EXPECT_EQ(AllStreamErrors(out), "");
  EXPECT_EQ(f.Leftovers(), std::vector<std::string>());
  EXPECT_EQ(FilesNamed(f.dir.path(), "iw_").size(), 0u);
}

// Two thousand chapters beside slides and links: every one listed.
TEST(EnhancedPodcast, TwoThousandChapters) {
  BuildFolder f;
  f.Tone("talk.m4a", 100, 8000);
  Picture(f, "p.png", "testsrc=size=96x64");
  std::string pod = "[podcast]\nbasename=many\naudiofile=talk.m4a\nimgwidth=96\nimgheight=64\n";
  for (int i = 0; i < 2000; ++i) {
    pod += "[editpoint_" + std::to_string(i + 1) + "]\nstart=0:0:" + std::to_string(i / 20) + "." +
           std::to_string(i % 20 * 30) + "\nchapter=C" + std::to_string(i) + "\n";
    if (i % 500 == 0) pod += "image=p.png\nhref=http://e.example/" + std::to_string(i) + "\n";
  }
  f.dir.Write("many.pod", pod);
  const RunResult run = f.Tolva({"-q4", "many.pod"});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string out = f.dir.Path("many.m4a");
  const std::string chapters = Chapters(out);
  EXPECT_EQ(std::count(chapters.begin(), chapters.end(), '\n'), 2000);
  EXPECT_NE(chapters.find("99.950000,C1999\n"), std::string::npos);
  EXPECT_EQ(Probe(out, "v", "stream=nb_frames"), "4");
  const std::vector<TimedTextSample> links = LinkSamples(out);
  ASSERT_EQ(links.size(), 4u);
  EXPECT_EQ(links[3].text, "http://e.example/1500");  // a link without a text shows itself
  ASSERT_TRUE(links[3].href);
  EXPECT_EQ(links[3].href->endChar, links[3].text.size());
  EXPECT_EQ(ReadFile(out).find("chpl"), std::string::npos);
  EXPECT_EQ(AllStreamErrors(out), "");
}

// With "addvideo" the slides lie over the copied video, black letting it show through.
TEST(EnhancedPodcast, SlidesOverACopiedVideo) {
  BuildFolder f;
  MustRun("ffmpeg -v error -y -f lavfi -i sine=duration=6 -f lavfi -i testsrc=size=320x240:duration=6:rate=5 "
          "-c:a aac -c:v mjpeg " + Quote(f.dir.Path("clip.mov")));
  Picture(f, "p.png", "mandelbrot=size=320x240");
  f.dir.Write("vid.pod", "[podcast]\nbasename=vid\naudiofile=clip.mov\naddvideo=true\nimgwidth=320\nimgheight=240\n"
                         "[editpoint_1]\nchapter=A\nimage=p.png\ntitle=Over\n"
                         "[editpoint_2]\nstart=0:0:3.0\nchapter=B\nhref=http://v.example/\n");
  const RunResult run = f.Tolva({"-qv", "vid.pod"});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string out = f.dir.Path("vid.m4v");
  EXPECT_EQ(ReaderSays("ffprobe -v error -show_entries stream=codec_name -of csv=p=0 " + Quote(out)),
            "aac\nmjpeg\nbin_data\npng\nmov_text\n");
  const std::string bytes = ReadFile(out);
  const std::size_t vmhd = bytes.rfind("vmhd");  // the slide track's, after the copied video's
  ASSERT_NE(vmhd, std::string::npos);
  EXPECT_EQ(bytes.substr(vmhd + 8, 8), std::string("\x00\x24\0\0\0\0\0\0", 8));
  EXPECT_EQ(Chapters(out), "0.000000,A\n3.000000,B\n");
  const std::string streams = ReaderSays("gst-discoverer-1.0 " + Quote(out));
  EXPECT_NE(streams.find("video #3: PNG"), std::string::npos) << streams;
  EXPECT_EQ(AllStreamErrors(out), "");
  EXPECT_EQ(f.Leftovers(), std::vector<std::string>());
}
