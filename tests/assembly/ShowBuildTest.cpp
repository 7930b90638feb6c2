#include <cstdio>
#include <ctime>
#include <set>

#include "BuildFixture.h"

namespace {
const char* const kTitle = "Pr\xC3\xBC" "fung \xE2\x84\x96 5 \xE2\x80\x94 \xC3\x9Cn\xC3\xAF" "c\xC3\xB6" "d\xC3\xA9";

std::string ThisYear() {
  const std::time_t now = std::time(nullptr);
  return std::to_string(std::gmtime(&now)->tm_year + 1900);
}

// A duration as gst-discoverer prints it: "0:00:12.300000000".
std::string GstDuration(std::int64_t samples, std::int64_t rate) {
  const std::int64_t ns = samples * 1000000000 / rate;
  char text[64];
  std::snprintf(text, sizeof text, "%d:%02d:%02d.%09d", int(ns / 3600000000000), int(ns / 60000000000 % 60),
                int(ns / 1000000000 % 60), int(ns % 1000000000));
  return text;
}

std::string ShowProject(const std::string& audio) {
  return "[podcast]\nbasename=show\nartwork=cover.png\naudiofile=" + audio + "\n[metadata]\n\xC2\xA9nam=" + kTitle +
         "\n\xC2\xA9" "ART=Die Leute\n\xC2\xA9" "day=&today\n"
         "\n[editpoint_1]\nchapter=Intro\n[editpoint_2]\nstart=0:0:4.150\nchapter=" + kTitle +
         "\n[editpoint_3]\nstart=0:0:9.0\nchapter=Ende\n";
}
}  // namespace

// One project, the four build commands: the same sound to the sample, the
// chapters with their titles as typed, and the brand each kind of file claims.
TEST(ShowBuild, EveryCommandWritesThePlayableMovieItNames) {
  BuildFolder f;
  const std::string source = f.Tone("talk.m4a", 12.3, 32000, 2);
  f.dir.Write("show.pod", ShowProject("talk.m4a"));
  MustRun("ffmpeg -v error -f lavfi -i color=c=red:size=64x48 -frames:v 1 " + Quote(f.dir.Path("cover.png")));
  const std::int64_t heard = ProbeNumber(source, "a:0", "stream=duration_ts");
  ASSERT_GT(heard, 0);

  const struct {
    const char* command;
    const char* file;
    const char* brand;
  } builds[] = {{"-q4", "show.m4a", "M4A "}, {"-qb", "show.m4b", "M4A "}, {"-qv", "show.m4v", "M4V "},
                {"-qm", "show.mov", "qt  "}};
  for (const auto& build : builds) {
    SCOPED_TRACE(build.command);
    const RunResult run = f.Tolva({build.command, "show.pod"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_NE(run.out.find("writing output file ... this might take some time!"), std::string::npos) << run.out;
    const std::string out = f.dir.Path(build.file);
    EXPECT_EQ(Probe(out, "", "format_tags=major_brand"), build.brand);
    EXPECT_EQ(Probe(out, "a", "stream=codec_name"), "aac");
    EXPECT_EQ(ProbeNumber(out, "a:0", "stream=sample_rate"), 32000);
    EXPECT_EQ(ProbeNumber(out, "a:0", "stream=duration_ts"), heard);
    EXPECT_EQ(DecodeErrors(out), "");
    EXPECT_EQ(DecodedMd5(out), DecodedMd5(source));
    EXPECT_EQ(Chapters(out), std::string("0.000000,Intro\n4.250000,") + kTitle + "\n9.000000,Ende\n");
    const std::string gst = ReaderSays("gst-discoverer-1.0 " + Quote(out));
    EXPECT_NE(gst.find("audio #1: MPEG-4 AAC"), std::string::npos) << gst;
    EXPECT_NE(gst.find("Duration: " + GstDuration(heard, 32000)), std::string::npos) << gst;
    const std::string menu = ReaderSays("mediainfo " + Quote(out));
    EXPECT_NE(menu.find(std::string("00:00:04.250                             : ") + kTitle), std::string::npos) << menu;
  }
  EXPECT_EQ(f.Leftovers(), std::vector<std::string>());
  std::set<std::string> beside;  // nothing but the project and the four movies
  for (const auto& entry : std::filesystem::directory_iterator(f.dir.path())) beside.insert(entry.path().filename());
  EXPECT_EQ(beside, (std::set<std::string>{"cover.png", "home", "show.m4a", "show.m4b", "show.m4v", "show.mov",
                                           "show.pod", "talk.m4a", "tmp"}));

  // The tags and the Nero chapter list as the build put them in.
  const std::string m4a = f.dir.Path("show.m4a");
  EXPECT_EQ(VlcChapters(m4a), std::string("0\tIntro\n4250\t") + kTitle + "\n9000\tEnde\n");
  const std::string tags = ReaderSays("AtomicParsley " + Quote(m4a) + " -t");
  EXPECT_NE(tags.find(std::string("contains: ") + kTitle + "\n"), std::string::npos) << tags;
  EXPECT_NE(tags.find("Atom \"covr\" contains: 1 piece of artwork"), std::string::npos) << tags;
  EXPECT_EQ(ReaderSays("/usr/bin/python3 -c \"import mutagen.mp4,sys; f=mutagen.mp4.MP4(sys.argv[1]); "
                       "print(f.tags['\xC2\xA9" "ART'][0], f.tags['covr'][0].imageformat, "
                       "[c.title for c in f.chapters], f.tags['\xC2\xA9" "day'][0][:4])\" " + Quote(m4a)),
            std::string("Die Leute 14 ['Intro', '") + kTitle + "', 'Ende'] " + ThisYear() + "\n");
}

// A project given alone is built in its own folder, as the kind it says it is.
TEST(ShowBuild, ALoneProjectBecomesTheKindItSaysItIs) {
  BuildFolder f;
  f.Tone("talk.m4a", 2, 16000);
  MustRun("ffmpeg -v error -f lavfi -i testsrc=size=64x48:duration=2:rate=5 -f lavfi -i sine=duration=2 "
          "-c:v mjpeg -c:a aac " + Quote(f.dir.Path("clip.mov")));
  const struct {
    const char* pod;
    std::string keys;
    const char* made;
    const char* streams;
  } cases[] = {
      {"plain.pod", "audiofile=talk.m4a\naddimages=false", "plain.m4a", "aac\ntext\n"},
      {"book.pod", "audiobook=true\naddimages=false\n[editpoint_1]\naudiofile=talk.m4a", "book.m4b", "aac\ntext\n"},
      {"video.pod", "audiofile=clip.mov\naddvideo=true\naddimages=false", "video.m4v", "aac\nmjpeg\ntext\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pod);
    std::string pod = "[podcast]\nbasename=" + std::string(c.pod).substr(0, std::string(c.pod).find('.')) + "\n" +
                      c.keys + "\n";
    if (c.keys.find("[editpoint_1]") == std::string::npos) pod += "[editpoint_1]\n";
    f.dir.Write("project/" + std::string(c.pod), pod + "chapter=Eins\n");
    MustRun("cp " + Quote(f.dir.Path("talk.m4a")) + " " + Quote(f.dir.Path("clip.mov")) + " " +
            Quote(f.dir.Path("project")));
    const RunResult run = f.Tolva({f.dir.Path("project/" + std::string(c.pod))});
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string made = f.dir.Path(std::string("project/") + c.made);
    EXPECT_EQ(ReaderSays("ffprobe -v error -show_entries stream=codec_tag_string,codec_name -of csv=p=0 " +
                         Quote(made) + " | sed 's/,.*//; s/bin_data/text/' | sort"),
              c.streams);
  }
}
