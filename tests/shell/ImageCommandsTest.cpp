// The image copy and resize commands through the real program: wildcard
// inputs, every line they print, and the runs that must refuse.
#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "shell/ImageCommands.h"

namespace {
std::string Size(const std::string& file) { return FfprobeSays(file, "stream=codec_name,width,height"); }

// The lines after the banner and the destination.
std::string Report(const std::string& out) {
  const std::string marker = "  Destination directory: ";
  const auto at = out.find(marker);
  return at == std::string::npos ? out : out.substr(out.find("\n\n", at) + 2);
}

class ImageCommands : public testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"b.jpg", "a.jpg", "c.png"}) {
      MustRun("ffmpeg -v error -f lavfi -i testsrc2=size=400x300 -frames:v 1 " + Quote(dir.Path(name)));
    }
  }
  RunResult Run(const std::vector<std::string>& args) { return RunTolva(args, dir.path(), home.path()); }
  std::string In(const std::string& name) { return dir.Path(name); }
  TempDir dir, home;
};
}  // namespace

TEST_F(ImageCommands, ResizeCopyScalesEveryMatchAndRefusesToOverwrite) {
  RunResult r = Run({"-dp", "out", "-iz", "64", "64", "-irc", "*.jpg"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Report(r.out), "  file: \"" + In("a.jpg") + "\"\n  processed to: \"out/a.jpg\"\n"
                           "  file: \"" + In("b.jpg") + "\"\n  processed to: \"out/b.jpg\"\n");
  EXPECT_EQ(Size(In("out/a.jpg")), "mjpeg,64,48\n");

  r = Run({"-dp", "out", "-iz", "64", "64", "-irc", "*.jpg"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(Report(r.out), "  ImageResizeCopy error: output file already exists: \"out/a.jpg\"\n"
                           "  ImageResizeCopy error: output file already exists: \"out/b.jpg\"\n");
  r = Run({"-dp", "out", "-iz", "32", "32", "-do", "-irc", "a.jpg"});
  EXPECT_EQ(Size(In("out/a.jpg")), "mjpeg,32,24\n");

  r = Run({"-dp", "png", "-irc", "c.png"});
  EXPECT_EQ(Size(In("png/c.png")), "mjpeg,960,720\n") << "the default size, and always a JPEG";

  dir.Write("notes.txt", "not a picture");
  r = Run({"-dp", "out", "-do", "-irc", "notes.txt"});
  EXPECT_EQ(Report(r.out), "  ImageResizeCopy error: unable to open input file: \"" + In("notes.txt") + "\"\n");
  EXPECT_EQ(r.err, "unsupported file type: \"" + In("notes.txt") + "\"\n");

  MustRun("mkdir -p " + Quote(In("blocked/a.jpg")));  // a folder where the output should go: unwritable even for root
  r = Run({"-dp", "blocked", "-irc", "a.jpg"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(Report(r.out), "  ImageResizeCopy error: unable to write output file: \"blocked/a.jpg\"\n");

  r = Run({"-dp", "out", "-irc", "missing.jpg"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(Report(r.out), "file does not exists \"" + In("missing.jpg") + "\"\n");
}

TEST_F(ImageCommands, CopyAndUnscaledResizeKeepTheBytes) {
  RunResult r = Run({"-dp", "copies", "-iz", "64", "64", "-ic", "*"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Report(r.out), "  file: \"" + In("a.jpg") + "\"\n  copied to: \"copies/a.jpg\"\n"
                           "  file: \"" + In("b.jpg") + "\"\n  copied to: \"copies/b.jpg\"\n"
                           "  file: \"" + In("c.png") + "\"\n  copied to: \"copies/c.png\"\n");
  EXPECT_EQ(ReadFile(In("copies/c.png")), ReadFile(In("c.png")));
  r = Run({"-dp", "copies", "-ic", "a.jpg"});
  EXPECT_EQ(Report(r.out), "") << "a copy that cannot be made is passed over in silence";

  r = Run({"-dp", "plain", "-inz", "-irc", "c.png"});
  EXPECT_EQ(Report(r.out), "  file: \"" + In("c.png") + "\"\n  processed to: \"plain/c.png\"\n");
  EXPECT_EQ(ReadFile(In("plain/c.png")), ReadFile(In("c.png")));

  dir.Write("a.pod", "[podcast]\n");
  r = Run({"-ic", "-irc", "*.pod"});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("you can only resized and/or copy the images once\n"), std::string::npos);
  EXPECT_EQ(r.out.find("ImageResizeCopy error"), std::string::npos) << "only the copy ran";
}

TEST(MakeDestFileName, JoinsFolderNameAndExtension) {
  EXPECT_EQ(MakeDestFileName("out", "/a/b/c.jpg", nullptr), "out/c.jpg");
  EXPECT_EQ(MakeDestFileName("out/", "/a/b/c.wav", "m4a"), "out/c.m4a");
  EXPECT_EQ(MakeDestFileName("", "/a/b/c.d.wav", "mp4"), "c.d.mp4");
  EXPECT_EQ(MakeDestFileName("out", "/a/b/noext", "mp4"), "out/noext.mp4");
  EXPECT_EQ(MakeDestFileName("out", "/a/b/c.jpg", ""), "out/c.jpg");
}
