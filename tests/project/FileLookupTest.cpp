#include "PodFixture.h"

// A project in dir/project, looked up from dir/work as when a user builds from elsewhere.
TEST(FileLookup, FoldersInTheirOrderAndWindowsNames) {
  TempDir dir;
  dir.Write("project/show.pod", "[podcast]\nbasename=b\naltfolder1=alt1\naltfolder2=..\\media\\\naltfolder4=alt4\n");
  for (const char* file : {"project/a.jpg", "work/a.jpg", "work/alt1/b.jpg", "project/b.jpg", "work/alt1/only.jpg",
                           "work/alt4/c.jpg", "project/sub/d.jpg", "media/slides/one.jpg", "project/dir/.keep"})
    dir.Write(file, "x");
  InFolder here(dir.Path("work"));
  PodProject project(600);
  ASSERT_TRUE(project.Load(dir.Path("project/show.pod"), dir.Path("project")));
  EXPECT_EQ(project.altFolders, (StdStringList{dir.Path("project") + "/", "alt1/", "../media/"}));
  auto find = [&](const std::string& name) {
    UString n(name);
    return project.LocateFile(n) ? std::string(n) : "!" + n;  // "!" and the name left behind when not found
  };
  EXPECT_EQ(find("a.jpg"), dir.Path("work/a.jpg"));               // the current directory first
  EXPECT_EQ(find("b.jpg"), dir.Path("project/b.jpg"));            // then the project folder
  EXPECT_EQ(find("only.jpg"), dir.Path("work/alt1/only.jpg"));    // a relative alternative: full on the current one
  EXPECT_EQ(find("c.jpg"), "!c.jpg");                             // altfolder4 follows a gap: never searched
  EXPECT_EQ(find("sub/d.jpg"), dir.Path("project/sub/d.jpg"));
  EXPECT_EQ(find(dir.Path("project/gone.jpg")), "!" + dir.Path("project/gone.jpg"));
  EXPECT_EQ(find("dir"), "!dir");  // a folder is no file
  EXPECT_EQ(find(""), "!");
  EXPECT_EQ(find("slides\\one.jpg"), dir.Path("work/../media/slides/one.jpg"));
  EXPECT_EQ(find("sub\\d.jpg"), dir.Path("project/sub/d.jpg"));
  EXPECT_EQ(find("sub\\three.jpg"), "!sub\\three.jpg");  // reported as the user wrote it
  EXPECT_EQ(find("C:\\shows\\b.jpg"), "!C:\\shows\\b.jpg");
}
