// The parse of the command line, run in-process: a run that would end is
// turned into an exception that carries its status.
#include <algorithm>
#include <cstdarg>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/helper/FileSystem.h"
#include "shell/JOB.h"
#include "shell/ProgramEntry.h"

namespace {
std::string printed;

int Capture(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  UString text;
  const int n = text.vformat(fmt, args);
  va_end(args);
  printed += text;
  return n;
}

struct RunEnded {
  int status;
};

class ParsedJob : public JOB {
 public:
  explicit ParsedJob(const std::string& userIni = "") {
    printFunction = Capture;
    userPrefs.Parse(userIni);
    printed.clear();
  }
  void BeforeEndRun(int status) override { throw RunEnded{status}; }

  // True when the words parse; `status` is set when the run ended instead.
  bool Parse(const std::vector<std::string>& words, int* status = nullptr) {
    StdStringList args(words.begin(), words.end());
    try {
      return ParseWords(args, Capture);
    } catch (const RunEnded& end) {
      if (status) *status = end.status;
      return false;
    }
  }
  std::vector<std::string> QueuedNames() const {
    std::vector<std::string> names;
    for (const CmdlineCmd& cmd : Cmds) names.push_back(cmd.sw.name);
    return names;
  }
  std::vector<std::string> NameWords() const { return {Names.begin(), Names.end()}; }
  std::vector<int> Size() const { return {rImgResize.left, rImgResize.top, rImgResize.right, rImgResize.bottom}; }
};

std::vector<std::string> ParamsOf(const CmdlineCmd& cmd) { return {cmd.params.begin(), cmd.params.end()}; }
}  // namespace

TEST(CommandLine, SwitchesMatchWithEitherPrefixInAnyCase) {
  ParsedJob upper;
  EXPECT_TRUE(upper.Parse({"-IZ", "100", "200"}));
  EXPECT_EQ(upper.Size(), (std::vector<int>{0, 0, 100, 200}));
  ParsedJob slash;
  EXPECT_TRUE(slash.Parse({"/iz", "300", "400", "/DUMP", "/home/show.pod"}));
  EXPECT_EQ(slash.Size(), (std::vector<int>{0, 0, 300, 400}));
  EXPECT_TRUE(slash.dumpRequested);
  EXPECT_EQ(slash.NameWords(), std::vector<std::string>{"/home/show.pod"});  // a path, not a switch

  ParsedJob doubled;
  EXPECT_FALSE(doubled.Parse({"-do", "--iz", "1", "2"}));
  EXPECT_EQ(printed, "Error: unrecognized command \"-iz\"");
  EXPECT_TRUE(doubled.allowOverwrite);  // immediate switches before the error have run
  ParsedJob bare;
  EXPECT_FALSE(bare.Parse({"-"}));
  EXPECT_EQ(printed, "Error: unrecognized command \"\"");
  ParsedJob prefix;
  EXPECT_FALSE(prefix.Parse({"-dum"}));  // no abbreviations
  EXPECT_EQ(printed, "Error: unrecognized command \"dum\"");
}

TEST(CommandLine, ParameterCountCodes) {
  ParsedJob slashSwitchAsParam;
  EXPECT_FALSE(slashSwitchAsParam.Parse({"-dp", "/do"}));
  EXPECT_EQ(printed, "expected parameter, found '/' for command \"dp\"");
  ParsedJob noList;
  EXPECT_FALSE(noList.Parse({"-cw4"}));
  EXPECT_EQ(printed, "Too few parameters for command \"cw4\"");

  ParsedJob job;
  EXPECT_TRUE(job.Parse({"-dp", "/tmp/out", "-cw4", "-do", "a.wav", "-cw4", "b.wav", "c.wav", "-d", "x",
                         "-fi", "out.txt", "y.mov", "-fi2", "-dump", "-test", "-t3", "p", "q"}));
  EXPECT_EQ(printed, "");
  EXPECT_EQ(job.destPath, "/tmp/out");
  ASSERT_EQ(job.Cmds.size(), 6u);
  EXPECT_EQ(ParamsOf(job.Cmds[0]), std::vector<std::string>{});  // cw4 before a switch: no words, no error
  EXPECT_EQ(ParamsOf(job.Cmds[1]), (std::vector<std::string>{"b.wav", "c.wav"}));
  EXPECT_EQ(ParamsOf(job.Cmds[2]), std::vector<std::string>{"out.txt"});
  EXPECT_EQ(ParamsOf(job.Cmds[3]), std::vector<std::string>{});
  EXPECT_EQ(ParamsOf(job.Cmds[4]), std::vector<std::string>{});  // -test stops at the next switch
  EXPECT_EQ(job.Cmds[5].id, 6);
  EXPECT_EQ(ParamsOf(job.Cmds[5]), (std::vector<std::string>{"p", "q"}));
  EXPECT_EQ(job.NameWords(), (std::vector<std::string>{"a.wav", "x", "y.mov"}));
}

TEST(CommandLine, QueueRunsByOrderKeepingCommandLineOrderWithin) {
  ParsedJob job;
  EXPECT_TRUE(job.Parse({"-install", "-qv", "a.pod", "-pn", "b", "-t2", "-cw4", "w.wav", "-irc", "-fi", "-ic"}));
  EXPECT_EQ(job.QueuedNames(), (std::vector<std::string>{"irc", "ic", "cw4", "qv", "pn", "t2", "fi", "install"}));
  EXPECT_EQ(job.Cmds[5].id, 5);
  ParsedJob empty;
  EXPECT_TRUE(empty.Parse({}));
  EXPECT_TRUE(empty.Cmds.empty());
}

TEST(CommandLine, ImmediateSwitchesSetTheOptionsLastOneWinning) {
  const std::string ini = "[paths]\nout=/tmp/podcasts\n[image]\nhd=1280 720\none=320\nthree=1 2 3\nwords=wide tall\n";
  ParsedJob job(ini);
  EXPECT_TRUE(job.Parse({"-iz", "640", "480", "-dp", "a", "-di", "OUT", "-af", "x.m4a", "-af", "y.m4a"}));
  EXPECT_EQ(job.Size(), (std::vector<int>{0, 0, 640, 480}));
  EXPECT_EQ(job.destPath, "/tmp/podcasts");
  EXPECT_EQ(job.audioFilePath, "y.m4a");
  EXPECT_TRUE(job.Parse({"-iz", "0", "480"}));
  EXPECT_EQ(job.Size(), (std::vector<int>{0, 0, 0, 0}));
  EXPECT_TRUE(job.Parse({"-izi", "hd"}));
  EXPECT_EQ(job.Size(), (std::vector<int>{0, 0, 1280, 720}));
  EXPECT_TRUE(job.Parse({"-izi", "words"}));  // words that are no numbers read as 0, unchecked
  EXPECT_EQ(job.Size(), (std::vector<int>{0, 0, 0, 0}));
  EXPECT_TRUE(job.Parse({"-iz", "5", "6", "-izi", "missing"}));  // the default "0 0": no scaling
  EXPECT_EQ(job.Size(), (std::vector<int>{0, 0, 0, 0}));
  EXPECT_TRUE(job.Parse({"-iz", "5", "6", "-inz"}));
  EXPECT_EQ(job.Size(), (std::vector<int>{0, 0, 0, 0}));

  int status = -1;
  ParsedJob one(ini);
  EXPECT_FALSE(one.Parse({"-izi", "one"}, &status));
  EXPECT_EQ(status, 2);
}

TEST(CommandLine, HelpListsTheDocumentedSwitchesAndEndsWithThree) {
  int status = -1;
  ParsedJob job;
  EXPECT_FALSE(job.Parse({"-HELP", "-nonsense"}, &status));
  EXPECT_EQ(status, 3);
  EXPECT_EQ(printed.substr(0, 57), "  Tolva [options] <filename1.ext> <filename2.ext> ...\n\n -");
  EXPECT_NE(printed.find("\n -help             help\n -af               audio file path\n"), std::string::npos);
  EXPECT_NE(printed.find("\n -iz    <w> <h>    set width and height of image files\n"), std::string::npos);
  EXPECT_NE(printed.find("\n -pi    <time><basename> ... generate pod file from multiple image files\n"),
            std::string::npos);
  EXPECT_NE(printed.find("\n -q4    <file.pod> create enhanced podcast with .mov file extention\n"),
            std::string::npos);
  for (const char* hidden : {" -h ", " -t0", " -dummy", " -install"}) EXPECT_EQ(printed.find(hidden), std::string::npos);
  EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 2 + 26);
}

TEST(CommandLine, NumberListsAndAbsolutePaths) {
  long out[3] = {-1, -1, -1};
  EXPECT_FALSE(ParseNumberList("1 2", 2, nullptr));
  EXPECT_FALSE(ParseNumberList("1 2 3", 2, out));
  EXPECT_FALSE(ParseNumberList("", 1, out));
  EXPECT_TRUE(ParseNumberList("  12\tx ", 2, out));
  EXPECT_EQ(out[0], 12);
  EXPECT_EQ(out[1], 0);

  EXPECT_EQ(MakeAbsolutePath("/a/b.pod"), "/a/b.pod");
  EXPECT_EQ(MakeAbsolutePath("../b.pod"), GetCurrentDirectoryA() + "/../b.pod");  // not normalised
}

TEST(ProgramEntry, StandardExceptionsEndTheRunInOrder) {
  EXPECT_EQ(RunGuarded([] { return 3; }), 3);
  testing::internal::CaptureStderr();
  EXPECT_EQ(RunGuarded([]() -> int { throw std::bad_alloc(); }), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Error: The system was unable to allocate memory requested by Reelwright\n"
            "This is a fatal error, the program will quit.\n");
  testing::internal::CaptureStderr();
  EXPECT_EQ(RunGuarded([]() -> int { throw std::out_of_range("basic_string::at"); }), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "An unhandled exception has occured:\nType: basic_string::at\nReelwright will terminate.\n");
}
