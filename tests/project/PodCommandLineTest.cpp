#include "PodFixture.h"

TEST(PodCommandLine, ProjectsAreReadWithTheirMessagesAndStatus) {
  TempDir dir;
  dir.Write("home/.keep", "");
  const std::string home = dir.Path("home");
  dir.Write("show/a.jpg", "x");
  dir.Write("show/show.pod",
            "[podcast]\r\nbasename=demo\r\nimgwidth=5000\r\n[metadata]\r\n\xA9nam=Caf\xE9\r\n"
            "[editpoint_1]\r\nchapter=Intro\r\nimage=a.jpg\r\n[editpoint_2]\r\nstart=0:0:10.0\r\nchapter=Two\r\n"
            "image=gone.jpg\r\n");

  const RunResult dump = RunTolva({"-qv", "show.pod", "-dump"}, dir.Path("show"), home);
  EXPECT_EQ(dump.err,
            "input image width is out of range (5000), changing to default (300)\n"
            "can not locate image file \"gone.jpg\"\n"
            "QTSlideshow::AddVideoTrack() file \"gone.jpg\" does not exists\n");
  EXPECT_NE(dump.out.find("basename            demo\n"), std::string::npos) << dump.out;
  EXPECT_NE(dump.out.find("metadata            \xC2\xA9nam = Caf\xC3\xA9\n"), std::string::npos);
  EXPECT_NE(dump.out.find("    file             " + dir.Path("show/a.jpg") + "\n"), std::string::npos);
  EXPECT_NE(dump.out.find("    startTime        6000\n"), std::string::npos);

  const RunResult lone = RunTolva({dir.Path("show/show.pod")}, dir.path(), home);  // built in its own folder
  EXPECT_EQ(lone.out.find("basename"), std::string::npos);                            // no dump asked for
  EXPECT_NE(lone.err.find("can not locate image file \"gone.jpg\"\n"), std::string::npos);

  const RunResult missing = RunTolva({"-qv", "nothing.pod"}, dir.Path("show"), home);
  EXPECT_EQ(missing.status, 2);
  EXPECT_EQ(missing.err, "pod file " + dir.Path("show/nothing.pod") + " does not exist\n");

  dir.Write("show/bad.pod", "[podcast]\naudiofile=gone.m4a\nbasename=b\n");
  const RunResult bad = RunTolva({"-qv", "bad.pod"}, dir.Path("show"), home);
  EXPECT_EQ(bad.status, 2);
  EXPECT_EQ(bad.err, "gone.m4a does not exist\n");
}
