#include "BuildFixture.h"

namespace {
std::string Project(const std::string& audio) {
  return "[podcast]\nbasename=out\naudiofile=" + audio + "\n[editpoint_1]\nchapter=Eins\n";
}
}  // namespace

// Input the build cannot use ends it with the reason and its status, and
// leaves no output and no working movie behind.
TEST(BuildErrors, BadInputEndsTheBuildWithItsReasonAndStatus) {
  BuildFolder f;
  f.Tone("talk.m4a", 1, 24000);
  f.dir.Write("empty.m4a", "");
  MustRun("ffmpeg -v error -f lavfi -i color=c=blue:size=32x32 -frames:v 1 " + Quote(f.dir.Path("picture.png")));
  const struct {
    std::string audio, err;
    int status;
    std::map<std::string, std::string> env;
  } cases[] = {
      {"empty.m4a", "Quicktime was unable to open file " + f.dir.Path("empty.m4a") + "\n", 2, {}},
      {"picture.png",
       "The file \"" + f.dir.Path("picture.png") + "\" does not contain an audio track recognized by Quicktime\n", 2,
       {}},
      {"talk.m4a", "unable to initialize QuickTime for Windows\n", 1, {{"TOLVA_NO_QUICKTIME", "1"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.audio);
    f.dir.Write("out.pod", Project(c.audio));
    std::map<std::string, std::string> env = c.env;
    env["TMPDIR"] = f.dir.Path("tmp");
    const RunResult run = RunTolva({"-q4", "out.pod"}, f.dir.path(), f.dir.Path("home"), env);
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.err, c.err);
    EXPECT_FALSE(std::filesystem::exists(f.dir.Path("out.m4a")));
  }

  f.dir.Write("out.pod", Project("talk.m4a"));
  const RunResult noFolder = f.Tolva({"-q4", "out.pod", "-dp", f.dir.Path("out.pod/inside")});
  EXPECT_EQ(noFolder.status, 3);
  EXPECT_NE(noFolder.out.find("unable to create destination path!\n"), std::string::npos) << noFolder.out;

  // A folder nobody may write in, whoever runs the test: the flatten says so
  // and nothing appears there.
  const RunResult unwritable = f.Tolva({"-q4", "out.pod", "-dp", "/proc"});
  EXPECT_EQ(unwritable.status, 0);
  EXPECT_NE(unwritable.out.find("FlattenMovieToFile: "), std::string::npos) << unwritable.out;
  EXPECT_FALSE(std::filesystem::exists("/proc/out.m4a"));
  EXPECT_EQ(f.Leftovers(), std::vector<std::string>());
}

// An earlier output is replaced by the new movie, and the progress a person
// at a terminal sees leaves standard output as it always is.
TEST(BuildErrors, AnEarlierOutputIsReplacedAndTheTerminalSeesTheShareDone) {
  BuildFolder f;
  f.Tone("talk.m4a", 2, 48000);
  f.dir.Write("out.pod", Project("talk.m4a"));
  f.dir.Write("out.m4b", "an earlier book");
  const RunResult run = f.Tolva({"-qb", "out.pod"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ProbeNumber(f.dir.Path("out.m4b"), "a:0", "stream=sample_rate"), 48000);

  // script(1) gives the program a terminal; its standard error then shows the share written.
  const std::string seen = ReaderSays("cd " + Quote(f.dir.path()) + " && HOME=" + Quote(f.dir.Path("home")) +
                                      " TOLVA_LOCK_DIR=" + Quote(f.dir.path()) + " script -qec " +
                                      Quote(std::string(TOLVA_BIN) + " -q4 out.pod 2>/dev/tty") + " /dev/null");
  EXPECT_NE(seen.find("writing output file ... this might take some time! "), std::string::npos) << seen;
  EXPECT_NE(seen.find("100%"), std::string::npos) << seen;
}
