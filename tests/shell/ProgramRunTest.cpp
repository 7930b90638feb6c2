// Every way a run of the real program ends, with its status and its words.
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <unistd.h>

#include <string>

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace {
std::string Banner(const std::string& cwd) {
  return "\nTolva (Reelwright) version 1.0.5a (release)\nCopyright (C) Omberlin. All rights reserved.\n\n"
         "  Current directory: " + cwd + "\n\n";
}

std::string Destination(const std::string& folder) { return "  Destination directory: " + folder + "\n\n"; }

std::string MajorBrand(const std::string& file) { return FfprobeSays(file, "format_tags=major_brand"); }

class ProgramRun : public testing::Test {
 protected:
  RunResult Run(const std::vector<std::string>& args) { return RunTolva(args, dir.path(), home.path()); }
  RunResult RunIn(const std::string& cwd, const std::vector<std::string>& args) {
    return RunTolva(args, cwd, home.path());
  }
  TempDir dir, home;
};
}  // namespace

TEST_F(ProgramRun, NothingToDoAndParseFailures) {
  RunResult r = Run({});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, Banner(dir.path()) + Destination(dir.path()));
  EXPECT_EQ(r.err, "no commands to execute!\n");

  r = Run({"-x", "-h"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, Banner(dir.path()) + "Error: unrecognized command \"x\"");
  EXPECT_EQ(r.err, "");

  r = Run({"-h", "x"});
  EXPECT_EQ(r.status, 3);
  EXPECT_TRUE(r.out.starts_with(Banner(dir.path()) + "  Tolva [options] <filename1.ext> <filename2.ext> ...\n\n"));
  EXPECT_TRUE(r.out.ends_with(" -wmov  <filename> write MOV 'ftyp' header to the file\n"));
  EXPECT_EQ(r.err, "");

  EXPECT_EQ(Run({"-install"}).status, 0);
}

TEST_F(ProgramRun, SecondInstanceOnlySaysSo) {
  const int fd = open((home.path() + "/TolvaSem.lock").c_str(), O_RDWR | O_CREAT, 0600);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0);
  RunResult r = Run({"-h"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "Program is already running!\n");
  close(fd);
  EXPECT_EQ(Run({"-h"}).status, 3);  // the lock goes with its holder
}

TEST_F(ProgramRun, PreferencesKeys) {
  const std::string out = dir.Path("made/for/podcasts");
  dir.Write("tolva.ini", "[paths]\nout=" + out + "\n[image]\nodd=1 2 3\n");
  RunResult r = Run({"-di", "out", "-dump"});
  EXPECT_EQ(r.status, 2);  // nothing to do after the dump
  EXPECT_TRUE(Contains(r.out, Destination(out)));
  EXPECT_TRUE(Contains(r.out, "  destPath            " + out + "\n"));
  EXPECT_TRUE(Contains(r.out, "  userPrefsPath  " + dir.Path("tolva.ini") + "\n"));
  EXPECT_TRUE(ReaderSays("test -d " + Quote(out) + " && echo made") == "made\n");

  r = Run({"-di", "music"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, Banner(dir.path()) + "could not locate key named \"music\" in seciont [paths]\n");

  r = Run({"-izi", "odd"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, Banner(dir.path()) +
                       "-izi requires the config string return 2 (and only 2) values\n"
                       "     the first value is the image scaling width, the second the image scaling height\n");
  // The last user is recorded in the application's own preferences.
  EXPECT_TRUE(Contains(ReadFile(home.path() + "/.config/Omberlin/tolva/tolva.ini"), "[users]\nlast_user="));
}

TEST_F(ProgramRun, InputFilesAndDestinationFolder) {
  dir.Write("a10.wav", "x");
  dir.Write("a2.wav", "x");
  dir.Write("b.wav", "x");
  RunResult r = Run({"b.wav", "a*.wav", "-dump"});
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(Contains(r.out, "  Files\n\n    " + dir.Path("a2.wav") + "\n    " + dir.Path("a10.wav") + "\n    " +
                                  dir.Path("b.wav") + "\n"));

  r = Run({"-ic", "nothing*.jpg"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, Banner(dir.path()) + Destination(dir.path()));
  EXPECT_EQ(r.err, "");

  r = Run({"-ic", "b.wav", "missing.jpg"});
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(r.out.ends_with("file does not exists \"" + dir.Path("missing.jpg") + "\"\n"));
  EXPECT_EQ(r.err, "");  // the copy never started

  const std::string blocked = dir.Path("b.wav") + "/sub";
  r = Run({"-dp", blocked, "-ic"});
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.out, Banner(dir.path()) + Destination(blocked) + "unable to create destination path!\n");
}

TEST_F(ProgramRun, QueuedCommandsAndFilesWithoutACommand) {
  RunResult r = Run({"-pn", "show", "-dump", "-ic", "/ic"});
  EXPECT_TRUE(Contains(r.out, "  Cmds\n\n    command:  ic  params: \n    command:  ic  params: \n"
                              "    command:  pn  params:       show \n\n  Names\n\n\n"));

  dir.Write("notes.txt", "x");
  r = Run({"-irc", "-ic", "notes.txt"});  // of the two, the first given does its work; the other only says so
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(Contains(r.out, "  ImageResizeCopy error: "));
  EXPECT_TRUE(r.out.ends_with("you can only resized and/or copy the images once\n"));

  r = Run({"notes.txt"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "no commands to execute!\n");
}

TEST_F(ProgramRun, HeaderRewritesAreImmediate) {
  const std::string file = dir.Path("tone.mp4");
  MustRun("ffmpeg -v error -f lavfi -i sine=frequency=440:duration=1 -c:a aac " + Quote(file));
  ASSERT_EQ(MajorBrand(file), "isom\n");

  RunResult r = Run({"-w4a", "tone.mp4", "-h"});
  EXPECT_EQ(r.status, 3);  // written first, then the help ends the run
  EXPECT_EQ(MajorBrand(file), "M4A \n");
  EXPECT_EQ(FfprobeSays(file, "stream=codec_name"), "aac\n");

  r = Run({"/wmov", file, "-install"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(MajorBrand(file), "qt  \n");

  r = Run({"-w4a", "absent.m4a", "-install"});
  EXPECT_EQ(r.status, 5);
  EXPECT_TRUE(r.out.ends_with("error writing header to file \"absent.m4a\"\n"));
}

TEST_F(ProgramRun, HelperLibraryBesideTheProgramRegistersAtEveryStart) {
  // A copy of the program in a folder of its own, beside a helper library that leaves a mark.
  dir.Write("kest.c",
            "#include <stdio.h>\n#include <stdlib.h>\n"
            "long DllRegisterServer(void) {\n"
            "  FILE* f = fopen(getenv(\"KEST_MARK\"), \"a\");\n"
            "  if (f) { fputs(\"registered\\n\", f); fclose(f); }\n  return 0;\n}\n");
  const std::string bin = dir.Path("bin");
  MustRun("mkdir " + Quote(bin) + " && cp " + Quote(TOLVA_BIN) + " " + Quote(bin + "/tolva") + " && cc -shared -fPIC -o " +
          Quote(bin + "/libKestHelper.so") + " " + Quote(dir.Path("kest.c")));
  const std::string mark = dir.Path("mark"), h = Quote(home.path());
  MustRun("cd " + Quote(dir.path()) + " && HOME=" + h + " XDG_CONFIG_HOME=" + h + " XDG_DATA_HOME=" + h +
          " TOLVA_LOCK_DIR=" + h + " KEST_MARK=" + Quote(mark) + " " + Quote(bin + "/tolva") + " -x");
  EXPECT_EQ(ReadFile(mark), "registered\n");  // before the parse, which fails here
}
