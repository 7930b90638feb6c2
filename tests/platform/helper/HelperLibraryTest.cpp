#include <sys/file.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "platform/helper/FileSystem.h"
#include "platform/helper/StdStringList.h"
#include "platform/helper/TextEncoding.h"
#include "platform/helper/UFile.h"
#include "platform/helper/UPrivProfilePrefs.h"

namespace {
StdStringList Split(const char* text, const char* seps, int flags = 3) {
  StdStringList list;
  list.SplitAndAppend(text, seps, nullptr, flags);
  return list;
}
}  // namespace

TEST(StdStringList, SplitsWordsFieldsAndQuotedGroups) {
  EXPECT_EQ(Split("0 0", nullptr), (StdStringList{"0", "0"}));
  EXPECT_EQ(Split("  -if \"a b.wav\"\t-of x ", nullptr), (StdStringList{"-if", "a b.wav", "-of", "x"}));
  EXPECT_EQ(Split("00:01:30.300", ":,."), (StdStringList{"00", "01", "30", "300"}));
  EXPECT_EQ(Split("1::2.3", ":,."), (StdStringList{"1", "2", "3"}));  // empty fields do not count
  EXPECT_EQ(Split("1::2", ":,.", 0).size(), 3u);
  StdStringList hex;
  hex.SplitAndAppend("@00 01&ff", "&@ \t", true);
  EXPECT_EQ(hex, (StdStringList{"00", "01", "ff"}));
  EXPECT_TRUE(Split("", nullptr).empty());
}

TEST(UPrivProfilePrefs, ReadsWhatWindowsAndLinuxEditorsWrite) {
  UPrivProfilePrefs prefs;
  prefs.Parse(
      "\xEF\xBB\xBF; comment\r\n[PodCast]\r\nTitle = \"Pr\xC3\xBC" "fung\"\r\ncount=12\r\nflag=true\r\n"
      "title=second\r\n[metadata]\r\n\xC2\xA9nam=x\r\ncatg=podcasts\r\nempty=\r\n");
  prefs.SetSection("podcast");
  EXPECT_EQ(prefs.GetString("TITLE", "-"), "Pr\xC3\xBC" "fung");  // first key wins, quotes dropped
  EXPECT_EQ(prefs.GetInt("count", 0), 12);
  EXPECT_TRUE(prefs.GetBool("flag", false));
  EXPECT_EQ(prefs.GetString("missing", "def"), "def");
  EXPECT_EQ(prefs.GetInt("missing", -7), -7);
  StdStringPairs pairs;
  EXPECT_EQ(prefs.GetKeysAndValue("METADATA", pairs), 3);
  EXPECT_EQ(pairs.GetKey(0), "\xC2\xA9nam");
  EXPECT_EQ(pairs.GetValue(2), "");
  EXPECT_EQ(prefs.GetKeysAndValue("nothing", pairs), 0);
  UPrivProfilePrefs listed;
  listed.Parse("[artwork]\ncover.jpg\nback cover.png=\n");
  ASSERT_NE(listed.GetKeyList("artwork"), nullptr);
  EXPECT_EQ(*listed.GetKeyList("artwork"), (StdStringList{"cover.jpg", "back cover.png"}));
  EXPECT_EQ(prefs.GetKeyList("nothing"), nullptr);
  ASSERT_NE(prefs.GetKeyList("metadata"), nullptr);
  EXPECT_EQ(prefs.GetKeyList("metadata")->at(1), "catg");

  prefs.PushSection("metadata");
  EXPECT_EQ(prefs.GetString("catg", ""), "podcasts");
  prefs.PopSection();
  EXPECT_EQ(prefs.CurrentSection(), "podcast");
}

TEST(UPrivProfilePrefs, WritesKeepOtherLinesAndAppearWhole) {
  TempDir dir;
  const std::string path = dir.Write("tolva.ini", "; mine\n[users]\nlast_user=old\nother=1\n[paths]\nmusic=/m\n");
  UPrivProfilePrefs prefs(path);
  prefs.SetSection("Users");
  ASSERT_TRUE(prefs.WriteString("last_user", "ann"));
  prefs.SetSection("image");
  ASSERT_TRUE(prefs.WriteString("small", "320 200"));
  EXPECT_EQ(ReadFile(path),
            "; mine\n[users]\nlast_user=ann\nother=1\n[paths]\nmusic=/m\n[image]\nsmall=320 200\n");
  UPrivProfilePrefs missing;
  EXPECT_FALSE(missing.Open(dir.Path("none.ini"), nullptr));
  EXPECT_FALSE(missing.Open(dir.path(), nullptr));  // a folder reads as empty
}

TEST(TextEncoding, KeepsUtf8AndConvertsWindowsText) {
  EXPECT_TRUE(IsValidUtf8("Pr\xC3\xBC" "fung \xE2\x84\x96 5"));
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));       // overlong
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));   // surrogate
  EXPECT_FALSE(IsValidUtf8("\xE2\x84"));       // cut short
  EXPECT_EQ(Cp1252ToUtf8("\xA9\x81\x99"), "\xC2\xA9\xC2\x81\xE2\x84\xA2");
  EXPECT_EQ(StrToWideCharBOM("A\xC3\xBC\xF0\x9F\x8E\x99"),
            std::string("\xFE\xFF\x00\x41\x00\xFC\xD8\x3C\xDF\x99", 10));
}

TEST(FileSystem, PathsWildcardsAndOrder) {
  TempDir dir;
  for (const char* name : {"ep10.mp3", "ep2.mp3", "Ep1.mp3", "notes.txt"}) dir.Write(name, "x");
  StdStringList files;
  EXPECT_EQ(ExpandWild(dir.Path("*.mp3"), files), 3);
  SortAsFileNames(files);
  EXPECT_EQ(FileNamePart(files[0]), "Ep1.mp3");
  EXPECT_EQ(FileNamePart(files[2]), "ep10.mp3");
  EXPECT_EQ(ExpandWild(dir.Path("*.wav"), files), -1);
  EXPECT_EQ(FileExtPart("a/b.c/d.m4a"), "m4a");
  EXPECT_EQ(FileExtPart("a/b.c/d"), "");
  EXPECT_EQ(PathNamePart("a/b/c.m4a"), "a/b/");
  UString rel("notes.txt");
  EXPECT_TRUE(MakeFullPath(rel, dir.path()));
  EXPECT_EQ(rel, dir.Path("notes.txt"));
  EXPECT_EQ(ToSlashPath("images\\slide 1.jpg"), "images/slide 1.jpg");
  EXPECT_TRUE(CreatePath(dir.Path("x/y/z"), false));
  EXPECT_TRUE(DirExists(dir.Path("x/y/z")));
  EXPECT_FALSE(FileExists(dir.Path("x")));
  const UString temp = GetTempFileNameA(dir.path(), "qtTemp");
  EXPECT_TRUE(FileExists(temp));
  EXPECT_EQ(FileNamePart(temp).substr(0, 6), "qtTemp");
  const UString slide = GetTempFileNameA(dir.path(), "iw_temp", "png");
  EXPECT_TRUE(FileExists(slide));
  EXPECT_EQ(FileExtPart(slide), "png");
  EXPECT_NE(slide, GetTempFileNameA(dir.path(), "iw_temp", "png"));
}

TEST(UFile, SharingAndReadOnlyBehaveAsOnWindows) {
  TempDir dir;
  const std::string path = dir.Write("a.bin", "0123456789");
  UFile alone;
  ASSERT_TRUE(alone.Open(path, GENERIC_READ | GENERIC_WRITE, 0, FILE_ATTRIBUTE_NORMAL));
  EXPECT_EQ(alone.GetFileSize(), 10);
  UFile second;
  EXPECT_FALSE(second.Open(path, GENERIC_READ, FILE_SHARE_READ, 0));  // held without sharing
  alone.Close();
  EXPECT_TRUE(second.Open(path, GENERIC_READ, FILE_SHARE_READ, 0));
  char buf[16] = {};
  EXPECT_EQ(second.Read(buf, sizeof buf), 10);
  second.Close();

  chmod(path.c_str(), 0444);
  EXPECT_FALSE(alone.Open(path, GENERIC_READ | GENERIC_WRITE, 0, 0));
  EXPECT_TRUE(alone.Open(path, GENERIC_READ, FILE_SHARE_READ, 0));
  alone.Close();
  EXPECT_FALSE(alone.Open(dir.path(), GENERIC_READ, FILE_SHARE_READ, 0));

  UFile made;
  ASSERT_TRUE(made.Create(dir.Path("new.bin"), CREATE_ALWAYS, GENERIC_READ | GENERIC_WRITE, 0, 0));
  EXPECT_EQ(made.Write("abc", 3), 3);
  EXPECT_EQ(made.GetFileSize(), 3);
}
