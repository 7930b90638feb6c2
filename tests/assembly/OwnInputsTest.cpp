#include <algorithm>
#include <filesystem>

#include "BuildFixture.h"
#include "assembly/ChapterFiles.h"

namespace {
namespace fs = std::filesystem;

std::string Refusal(const std::string& output, const std::string& input, const std::string& remedy) {
  return "the output \"" + output + "\" is the input \"" + input + "\"; " + remedy + "\n";
}
constexpr const char* kBuildRemedy = "choose another basename or -dp folder";
}  // namespace

// A build whose movie or chapter file would take the place of a file it
// reads stops before writing, whatever name or link leads to that file, and
// the file is as it was; elsewhere the same project builds.
TEST(OwnInputs, AnOutputThatIsAnInputIsRefusedBeforeAnythingIsWritten) {
  BuildFolder f;
  const std::string talk = f.Tone("talk.m4a", 1, 22050);
  const std::string before = ReadFile(talk);
  f.dir.Write("talk.pod", "[podcast]\nbasename=talk\naudiofile=talk.m4a\n[editpoint_1]\nchapter=Eins\n");
  const RunResult self = f.Tolva({"-q4", "talk.pod"});
  EXPECT_EQ(self.status, 2);
  EXPECT_EQ(self.err, Refusal(talk, talk, kBuildRemedy));
  EXPECT_EQ(ReadFile(talk), before);
  fs::create_directory(f.dir.Path("out"));
  ASSERT_EQ(f.Tolva({"-q4", "talk.pod", "-dp", "out"}).status, 0);
  EXPECT_EQ(ProbeNumber(f.dir.Path("out/talk.m4a"), "a:0", "stream=sample_rate"), 22050);

  // A book made into a project of its own, then built lone in its folder.
  f.Tone("whole.m4a", 2, 32000);
  f.dir.Write("meta.txt", ";FFMETADATA1\n[CHAPTER]\nTIMEBASE=1/1000\nSTART=0\nEND=700\ntitle=A\n"
                          "[CHAPTER]\nTIMEBASE=1/1000\nSTART=700\nEND=2000\ntitle=B\n");
  MustRun("cd " + Quote(f.dir.path()) + " && ffmpeg -v error -i whole.m4a -i meta.txt -map_metadata 1 " +
          "-map_chapters 1 -c copy -f ipod book.m4b");
  ASSERT_EQ(f.Tolva({"-pc", "book", "book.m4b"}).status, 0);
  const std::string book = ReadFile(f.dir.Path("book.m4b"));
  const RunResult lone = f.Tolva({"book.pod"});
  EXPECT_EQ(lone.status, 2);
  EXPECT_EQ(lone.err, Refusal(f.dir.Path("book.m4b"), f.dir.Path("book.m4b"), kBuildRemedy));
  EXPECT_EQ(ReadFile(f.dir.Path("book.m4b")), book);

  // The artwork under a second name, and a slide named as a chapter picture.
  MustRun("ffmpeg -v error -f lavfi -i color=c=green:size=48x32 -frames:v 1 " + Quote(f.dir.Path("cover.png")));
  fs::create_hard_link(f.dir.Path("cover.png"), f.dir.Path("art.m4a"));
  f.dir.Write("art.pod", "[podcast]\nbasename=art\naudiofile=talk.m4a\nartwork=cover.png\n");
  EXPECT_EQ(f.Tolva({"-q4", "art.pod"}).err, Refusal(f.dir.Path("art.m4a"), f.dir.Path("cover.png"), kBuildRemedy));
  fs::copy_file(f.dir.Path("cover.png"), f.dir.Path("show-01.png"));
  fs::create_symlink("show-01.png", f.dir.Path("show-02.jpg"));
  const std::string show = "[podcast]\nbasename=show\naudiofile=talk.m4a\nchapterfiles=";
  const std::string slides = "\n[editpoint_1]\nimage=cover.png\n[editpoint_2]\nstart=0:0:0.300\nimage=show-01.png\n";
  f.dir.Write("show.pod", show + "json" + slides);
  const RunResult pictures = f.Tolva({"-q4", "show.pod"});
  EXPECT_EQ(pictures.status, 2);
  EXPECT_EQ(pictures.err, Refusal(f.dir.Path("show-02.jpg"), f.dir.Path("show-01.png"), kBuildRemedy));
  EXPECT_FALSE(fs::exists(f.dir.Path("show.m4a")));
  f.dir.Write("show.pod", show + "vtt" + slides);
  EXPECT_EQ(f.Tolva({"-q4", "show.pod"}).status, 0);
  EXPECT_TRUE(fs::is_symlink(f.dir.Path("show-02.jpg")));
  EXPECT_EQ(f.Leftovers(), std::vector<std::string>());

  // The test commands write into the folder they run in.
  for (const std::string command : {"-t0", "-t2"}) {
    const std::string name = command == "-t0" ? "test.m4a" : "test.mov";
    fs::copy_file(talk, f.dir.Path(name), fs::copy_options::overwrite_existing);
    const RunResult probe = f.Tolva({name, command});
    EXPECT_EQ(probe.status, 2);
    EXPECT_EQ(probe.err, Refusal(f.dir.Path(name), f.dir.Path(name), "run it in another folder"));
    EXPECT_EQ(ReadFile(f.dir.Path(name)), before);
  }
}

// Fewer pictures than slides (repeated slides share one) may be numbered
// with fewer digits: every such name is among those a show may write.
TEST(OwnInputs, ChapterPicturesMayTakeEveryWidthUpToTheirSlides) {
  const auto names = ChapterFiles::PossibleNames({.json = true, .vtt = false, .baseUrl = ""}, "/d/s", 120);
  auto has = [&names](const std::string& name) { return std::find(names.begin(), names.end(), name) != names.end(); };
  EXPECT_EQ(names.size(), 1u + 120 + 99);
  EXPECT_TRUE(has("/d/s.chapters.json") && has("/d/s-001.jpg") && has("/d/s-120.jpg") && has("/d/s-99.jpg"));
  EXPECT_FALSE(has("/d/s-121.jpg") || has("/d/s.chapters.vtt"));
  EXPECT_EQ(ChapterFiles::PossibleNames({.json = false, .vtt = true, .baseUrl = ""}, "s", 7).size(), 1u);
}
