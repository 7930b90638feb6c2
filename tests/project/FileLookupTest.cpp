#include "PodFixture.h"

namespace {
// A project in dir/project whose [podcast] section adds `keys`; the current
// directory is dir/work, as when a user builds from elsewhere.
struct Lookup {
  TempDir dir;
  std::unique_ptr<PodProject> project;
  std::string err;

  explicit Lookup(const std::string& keys) {
    dir.Write("project/show.pod", "[podcast]\nbasename=b\n" + keys);
    dir.Write("work/.keep", "");
    InFolder here(dir.Path("work"));
    project = std::make_unique<PodProject>(600);
    testing::internal::CaptureStderr();
    EXPECT_TRUE(project->Load(dir.Path("project/show.pod"), dir.Path("project")));
    err = testing::internal::GetCapturedStderr();
  }

  // Looks `name` up from dir/work; the name it leaves behind, with "!" in front when not found.
  std::string Find(const std::string& name) const {
    InFolder here(dir.Path("work"));
    UString n(name);
    return project->LocateFile(n) ? std::string(n) : "!" + n;
  }
};
}  // namespace

TEST(FileLookup, FoldersInTheirOrder) {
  Lookup l("altfolder1=" + std::string("alt1") + "\naltfolder3=alt3\n");
  l.dir.Write("project/a.jpg", "base");
  l.dir.Write("work/a.jpg", "current");
  l.dir.Write("work/alt1/b.jpg", "x");
  l.dir.Write("project/b.jpg", "x");
  l.dir.Write("work/alt3/c.jpg", "x");
  l.dir.Write("project/sub/d.jpg", "x");

  EXPECT_EQ(l.project->altFolders, (StdStringList{l.dir.Path("project") + "/", "alt1/"}));
  EXPECT_EQ(l.Find("a.jpg"), l.dir.Path("work/a.jpg"));     // the current directory comes first
  EXPECT_EQ(l.Find("b.jpg"), l.dir.Path("project/b.jpg"));  // then the project folder
  EXPECT_EQ(l.Find("c.jpg"), "!c.jpg");                     // altfolder3 follows a gap: never searched
  EXPECT_EQ(l.Find("sub/d.jpg"), l.dir.Path("project/sub/d.jpg"));
  EXPECT_EQ(l.Find(l.dir.Path("project/missing.jpg")), "!" + l.dir.Path("project/missing.jpg"));
  EXPECT_EQ(l.Find(l.dir.Path("project/b.jpg")), l.dir.Path("project/b.jpg"));

  l.dir.Write("project/e.jpg", "x");
  l.dir.Write("work/alt1/e.jpg", "x");
  EXPECT_EQ(l.Find("e.jpg"), l.dir.Path("project/e.jpg"));  // the project folder before the alternatives

  l.dir.Write("work/alt1/only.jpg", "x");  // a relative alternative folder: made full on the current directory
  EXPECT_EQ(l.Find("only.jpg"), l.dir.Path("work/alt1/only.jpg"));
  EXPECT_EQ(l.Find(""), "!");
  l.dir.Write("project/folder/.keep", "");
  EXPECT_EQ(l.Find("folder"), "!folder");  // a folder is no file
}

TEST(FileLookup, WindowsPathsFindLinuxFiles) {
  Lookup l("altfolder1=..\\media\\\n");
  l.dir.Write("media/slides/one.jpg", "x");
  l.dir.Write("project/sounds/two.m4a", "x");
  EXPECT_EQ(l.project->altFolders[1], "../media/");
  EXPECT_EQ(l.Find("slides\\one.jpg"), l.dir.Path("work/../media/slides/one.jpg"));
  EXPECT_EQ(l.Find("sounds\\two.m4a"), l.dir.Path("project/sounds/two.m4a"));
  EXPECT_EQ(l.Find("sounds\\three.m4a"), "!sounds\\three.m4a");  // reported as the user wrote it
  EXPECT_EQ(l.Find("C:\\shows\\two.m4a"), "!C:\\shows\\two.m4a");
}
