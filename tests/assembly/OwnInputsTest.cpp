#include <filesystem>

#include "BuildFixture.h"

// A build or test command whose output (or chapter file) would be a file it
// reads, by its name or another link, stops before writing; elsewhere it runs.
TEST(OwnInputs, AnOutputThatIsAnInputIsRefusedBeforeAnythingIsWritten) {
  namespace fs = std::filesystem;
  BuildFolder f;
  const std::string talk = f.Tone("talk.m4a", 1, 22050), before = ReadFile(talk);
  for (const std::string colour : {"green", "red"})
    MustRun("ffmpeg -v error -f lavfi -i color=" + colour + ":size=48x32 -frames:v 1 " +
            Quote(f.dir.Path(colour + ".png")));
  for (const char* link : {"book.m4b", "test.m4a"}) fs::create_hard_link(talk, f.dir.Path(link));
  for (const char* link : {"art.m4a", "show-02.jpg"}) fs::create_symlink("green.png", f.dir.Path(link));
  fs::create_symlink("talk.m4a", f.dir.Path("test.mov"));
  const std::string show = "basename=show\naudiofile=talk.m4a\nchapterfiles=json\n[editpoint_1]\nimage=red.png\n"
                           "[editpoint_2]\nstart=0:0:0.300\nimage=green.png\n";
  const std::string build = "choose another basename or -dp folder", probe = "run it in another folder";
  const struct {
    std::vector<std::string> args;
    std::string project, output, input, remedy;
  } cases[] = {
      {{"-q4", "x.pod"}, "basename=talk\naudiofile=talk.m4a\n", "talk.m4a", "talk.m4a", build},
      {{"-qb", "x.pod"}, "basename=book\naudiobook=true\n[editpoint_1]\naudiofile=talk.m4a\n", "book.m4b", "talk.m4a",
       build},
      {{"-q4", "x.pod"}, "basename=art\naudiofile=talk.m4a\nartwork=green.png\n", "art.m4a", "green.png", build},
      {{"talk.m4a", "-t0"}, "", "test.m4a", "talk.m4a", probe},
      {{"talk.m4a", "-t2"}, "", "test.mov", "talk.m4a", probe},
      {{"-q4", "x.pod"}, show, "show-02.jpg", "green.png", build}};
  for (const auto& c : cases) {
    f.dir.Write("x.pod", "[podcast]\n" + c.project);
    const RunResult run = f.Tolva(c.args);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "the output \"" + f.dir.Path(c.output) + "\" is the input \"" + f.dir.Path(c.input) + "\"; " +
                           c.remedy + "\n");
  }
  EXPECT_EQ(ReadFile(talk), before);
  fs::create_directory(f.dir.Path("out"));
  ASSERT_EQ(f.Tolva({"-q4", "x.pod", "-dp", "out"}).status, 0);
  EXPECT_TRUE(fs::exists(f.dir.Path("out/show-02.jpg")));
}
