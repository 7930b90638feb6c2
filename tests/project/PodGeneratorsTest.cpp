// The commands pn and pi through the real program: the files they write, read
// back by the project reader, and the ways they refuse.
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "PodFixture.h"
#include "TestSupport.h"
#include "platform/helper/FileSystem.h"
#include "project/EditPointAudio.h"
#include "project/EditPointChapter.h"
#include "project/EditPointImage.h"

namespace {
const char* const kMetadataTemplate =
    "[metadata]\n"
    "purl=@\"http://www.example.com/podcast/feed.xml\n"
    "egid=@\"http://www.example.com/podcast/episode1.m4a\n"
    "©cpy=Copyright Some Podcast Creator. All rights reserved.\n"
    "©nam=Some Podcast Episode\n"
    "©ART=Some Podcast Creator\n"
    "©alb=Some Podcasts\n"
    "©gen=Podcast\n"
    "©day=&today\n"
    "rtng=&00\n"
    "catg=podcasts\n"
    "desc=Some Podcast description.\n"
    "pcst=&01\n"
    "©lyr=\n";

std::string Header(const std::string& base, const char* height, const char* book) {
  return "[podcast]\nbasename=" + base + "\naltFolder1=\nshownotes=shownotes\nimgwidth=300\nimgheight=" + height +
         "\naddimages=true\naudiobook=" + book + "\nartwork=\n\n\n";
}

std::string AudioSection(int n, const std::string& path, const std::string& length) {
  return "[editpoint_" + std::to_string(n) + "]\n;\n; length of audio " + length + "\n;\naudiofile=" + path +
         "\nstart=\noffset=\nchapter=" + FileNamePart(path) + "\nimage=\nlink=\nlinktext=\n\n\n\n\n";
}

std::string ImageSection(int n, const std::string& path, const std::string& offset) {
  return "[editpoint_" + std::to_string(n) + "]\nstart=\noffset=" + offset + "\nchapter=" + FileNamePart(path) +
         "\nimage=" + path + "\nlink=\nlinktext=\n\n\n";
}

class PodGenerators : public testing::Test {
 protected:
  RunResult Run(const std::vector<std::string>& args) { return RunTolva(args, dir.path(), home.path()); }
  void Aac(const std::string& name, int rate, const std::string& seconds) {
    MustRun("ffmpeg -v error -f lavfi -i sine=sample_rate=" + std::to_string(rate) + ":duration=" + seconds +
            " -c:a aac " + Quote(dir.Path(name)));
  }
  TempDir dir, home;
};
}  // namespace

TEST_F(PodGenerators, AudioListGivesOneSectionPerFileWithItsHeardLength) {
  // The lengths are what the files present, not their encoded media (which
  // holds the encoder's priming and padding too).
  Aac("Prüfung № 5 [teil 1].m4a", 44100, "2.5");
  Aac("b.m4a", 44100, "61.25");
  const std::string a = dir.Path("Prüfung № 5 [teil 1].m4a"), b = dir.Path("b.m4a");
  RunResult r = Run({"-pn", "my show", "Prüfung № 5 [teil 1].m4a", "b.m4a"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_TRUE(r.out.ends_with("File: Prüfung № 5 [teil 1].m4a\nFile: b.m4a\n")) << r.out;
  const std::string expected = Header("my show", "200", "true") + AudioSection(1, a, "00:00:02.22050") +
                               AudioSection(2, b, "00:01:01.11025") + kMetadataTemplate;
  EXPECT_EQ(ReadFile(dir.Path("my show.pod")), expected);

  // Read back: no message, the files found, the chapters named, the template's
  // © keys as single-byte item types.
  LoadedPod pod = LoadPod(dir, expected);
  ASSERT_TRUE(pod.ok);
  EXPECT_EQ(pod.err, "");
  EXPECT_TRUE(pod.project->audioBook);
  EXPECT_EQ(pod.project->imgHeight, 200);
  const auto audio = PartsOf<EditPointAudio>(*pod.project, 2);
  const auto chapters = PartsOf<EditPointChapter>(*pod.project, 4);
  ASSERT_EQ(audio.size(), 2u);
  ASSERT_EQ(chapters.size(), 2u);
  EXPECT_EQ(audio[0]->file, a);
  EXPECT_EQ(chapters[0]->chapter, "Prüfung № 5 [teil 1].m4a");
  EXPECT_EQ(chapters[1]->chapter, "b.m4a");
  ASSERT_EQ(pod.project->metadata.size(), 12u);  // ©lyr is empty
  EXPECT_EQ(pod.project->metadata[3], "\xA9namSome Podcast Episode");
  EXPECT_EQ(pod.project->altFolders.size(), 1u);

  // A second run needs -do.
  r = Run({"-pn", "my show", "b.m4a"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "output file \"" + dir.Path("my show.pod") +
                       "\" already exists\n  use -do to overwrite an existing output file\n");
  r = Run({"-do", "-pn", "my show"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(ReadFile(dir.Path("my show.pod")), Header("my show", "200", "true") + kMetadataTemplate);
}

TEST_F(PodGenerators, AudioListStopsAtAFileItCannotTake) {
  Aac("a.m4a", 22050, "1");
  Aac("slow.m4a", 16000, "1");
  MustRun("ffmpeg -v error -f lavfi -i sine=duration=1 -c:a libmp3lame " + Quote(dir.Path("b.mp3")));
  MustRun("sox -n -r 22050 -c 1 -b 16 " + Quote(dir.Path("c.wav")) + " trim 0 1");
  MustRun("ffmpeg -v error -f lavfi -i testsrc=duration=1:size=64x48 " + Quote(dir.Path("picture.mp4")));
  dir.Write("notes.txt", "not a movie");
  const std::string firstSection = Header("show", "200", "true") + AudioSection(1, dir.Path("a.m4a"), "00:00:01.00");
  struct Case {
    std::string second, message;
  };
  for (const Case& c : std::vector<Case>{
           {"b.mp3", "  audio type (.mp3) does not match that of previous files (mp4a)\n"},
           {"c.wav", "  audio type (sowt) does not match that of previous files (mp4a)\n"},
           {"slow.m4a", "  audio sample rate does not match that of previous files\n"},
           {"picture.mp4", "  file does not appear to have an audio track\n"},
           {"notes.txt", "  QuickTime was unable to open file\n"}}) {
    SCOPED_TRACE(c.second);
    const RunResult r = Run({"-do", "-pn", "show", "a.m4a", c.second, "a.m4a"});
    EXPECT_EQ(r.err, c.message);
    // The toolbox's wrapper says why it could not open a file on standard output.
    EXPECT_NE(r.out.find("File: a.m4a\nFile: " + c.second + "\n"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("File: a.m4a\nFile: " + c.second + "\nFile: a.m4a"), std::string::npos) << r.out;
    EXPECT_EQ(ReadFile(dir.Path("show.pod")), firstSection);
  }
}

TEST_F(PodGenerators, ImageListSlidesFollowEachOtherByTheTime) {
  MustRun("convert -size 40x30 xc:red " + Quote(dir.Path("a (1).png")));
  MustRun("convert -size 40x30 xc:blue " + Quote(dir.Path("Ärger.jpg")));
  dir.Write("notes.txt", "no picture");
  const std::string a = dir.Path("a (1).png"), b = dir.Path("Ärger.jpg");
  RunResult r = Run({"-pi", "7", "slides", "a (1).png", "notes.txt", "Ärger.jpg"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(r.out.ends_with("File: a (1).png\nFile: notes.txt\n  not an image file\nFile: Ärger.jpg\n")) << r.out;
  const std::string expected = Header("slides", "300", "false") + ImageSection(1, a, "00:00:07.0") +
                               ImageSection(2, b, "00:00:07.0") + kMetadataTemplate;
  EXPECT_EQ(ReadFile(dir.Path("slides.pod")), expected);

  LoadedPod pod = LoadPod(dir, expected);
  ASSERT_TRUE(pod.ok);
  EXPECT_EQ(pod.err, "");
  const auto images = PartsOf<EditPointImage>(*pod.project, 3);
  ASSERT_EQ(images.size(), 2u);
  EXPECT_EQ(images[1]->file, b);
  const auto list = pod.project->editPoints.MakeTrackList(3, 600, 30 * 600);
  ASSERT_EQ(list->size(), 2u);
  EXPECT_EQ((*list)[0]->epStartTime, 0);
  EXPECT_EQ((*list)[1]->epStartTime, 7 * 600);

  // Long times keep four fields; no files give the frame alone.
  r = Run({"-pi", "3725", "long", "Ärger.jpg"});
  EXPECT_EQ(ReadFile(dir.Path("long.pod")),
            Header("long", "300", "false") + ImageSection(1, b, "01:02:05.0") + kMetadataTemplate);
  r = Run({"-pi", "5", "empty"});
  EXPECT_EQ(ReadFile(dir.Path("empty.pod")), Header("empty", "300", "false") + kMetadataTemplate);
}

TEST_F(PodGenerators, AnOutputThatCannotBeOpenedFailsTheCommandOnly) {
  std::filesystem::create_directory(dir.Path("x.pod"));
  const RunResult r = Run({"-pi", "5", "x"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "error 21 atempting to open file " + dir.Path("x.pod") + " for output\n");
  EXPECT_TRUE(std::filesystem::is_directory(dir.Path("x.pod")));
}

// The skeletons are projects the build takes as they stand: an audio book
// with a chapter per file, and slides that change every given seconds over
// the sound that cw4 converts in the same run.
TEST_F(PodGenerators, GeneratedProjectsBuild) {
  Aac("a b [1].m4a", 44100, "3.5");
  Aac("Ünï.m4a", 44100, "2.25");
  ASSERT_EQ(Run({"-pn", "book", "a b [1].m4a", "Ünï.m4a"}).status, 0);
  RunResult r = Run({"-q4", "book.pod"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string book = dir.Path("book.m4a");
  EXPECT_EQ(ReaderSays("ffprobe -v error -show_entries chapter=start_time,end_time:chapter_tags=title -of csv=p=0 " +
                       Quote(book)),
            "0.000000,3.500000,a b [1].m4a\n3.500000,5.750000,Ünï.m4a\n");

  MustRun("convert -size 64x48 xc:red " + Quote(dir.Path("r (1).png")));
  MustRun("convert -size 64x48 xc:blue " + Quote(dir.Path("Blå.jpg")));
  MustRun("convert -size 64x48 xc:green " + Quote(dir.Path("g.png")));
  MustRun("ffmpeg -v error -f lavfi -i sine=sample_rate=32000:duration=10.5 -ac 2 " + Quote(dir.Path("talk.wav")));
  ASSERT_EQ(Run({"-pi", "4", "slides", "r (1).png", "Blå.jpg", "g.png"}).status, 0);
  r = Run({"-cw4", "talk.wav", "-q4", "slides.pod"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string show = dir.Path("slides.m4a");
  EXPECT_EQ(ReaderSays("ffprobe -v error -select_streams a -show_entries stream=codec_name,sample_rate,duration "
                       "-of csv=p=0 " + Quote(show)),
            "aac,32000,10.500000\n");
  // ffmpeg also hands out the first slide as the cover picture of the chapter list: count each time once.
  EXPECT_EQ(ReaderSays("ffprobe -v error -select_streams v -show_entries packet=pts_time -of csv=p=0 " + Quote(show) +
                       " | uniq"),
            "0.000000\n4.000000\n8.000000\n");
  EXPECT_EQ(ReaderSays("(ffmpeg -v error -i " + Quote(show) + " -map 0:a -f null - 2>&1)"), "");
  EXPECT_TRUE(std::filesystem::exists(dir.Path("talk.mp4")));
}
