#include <gtest/gtest.h>

#include "imaging/TitleList.h"
#include "platform/helper/UPrivProfilePrefs.h"

namespace {
struct Read {
  TitleList list;
  MediaFormat format;
  int added = 0;
  std::string err;
};

Read ReadSection(const std::string& ini, const std::string& section) {
  UPrivProfilePrefs prefs;
  prefs.Parse(ini);
  StdStringPairs pairs;
  prefs.GetKeysAndValue(section, pairs);
  Read r;
  testing::internal::CaptureStderr();
  r.added = ReadTitleSection(r.list, prefs, pairs, r.format, section);
  r.err = testing::internal::GetCapturedStderr();
  return r;
}
}  // namespace

TEST(TitleList, TitlesFreezeTheFormatInForce) {
  TitleList list;
  MediaFormat f;
  list.Add("one", f);
  f.ParseKey("title", "titlefontsize", "30");
  TitleItem& two = list.Add("two", f);
  EXPECT_EQ(two.text, "two");
  f.ParseKey("title", "titlefontsize", "40");
  EXPECT_EQ(list[0].format.fontSize, 12);
  EXPECT_EQ(list[1].format.fontSize, 30);

  list.AddAll(list);  // doubling itself must not run away
  ASSERT_EQ(list.size(), 4u);
  EXPECT_EQ(list[3].text, "two");
  EXPECT_EQ(list[3].format.fontSize, 30);
}

TEST(TitleList, SectionsNestAndShareOneFormat) {
  const std::string ini =
      "[deftitleformat]\n"
      "titlefontsize=20\n"
      "title=first\n"
      "titlesection=inner\n"
      "title=after inner\n"
      "titlesection=missing\n"
      "title=\n"
      "[inner]\n"
      "titleformatpush=\n"
      "TitleTextColor=255 0 0\n"
      "Title=red\n"
      "titleformatpop=\n"
      "titlefont=Arial\n"
      "unknown=ignored\n";
  const Read r = ReadSection(ini, "deftitleformat");
  EXPECT_EQ(r.added, 4);
  ASSERT_EQ(r.list.size(), 4u);
  EXPECT_EQ(r.list[0].text, "first");
  EXPECT_EQ(r.list[1].text, "red");
  EXPECT_EQ(r.list[1].format.textColor, 0x0000FFu);
  EXPECT_EQ(r.list[1].format.fontSize, 20);
  EXPECT_EQ(r.list[2].text, "after inner");
  EXPECT_EQ(r.list[2].format.textColor, 0xFFFFFFu);  // popped inside the section
  EXPECT_EQ(r.list[2].format.face, "Arial");         // not saved: stays in force
  EXPECT_EQ(r.list[3].text, "");                     // an empty title is a title here
  EXPECT_EQ(r.err, "");
}

TEST(TitleList, SectionsThatNameThemselvesEnd) {
  const Read self = ReadSection("[a]\ntitle=x\ntitlesection=A\n", "a");
  EXPECT_EQ(self.added, 1);
  EXPECT_EQ(self.err, "title section \"A\" names itself and is not read again\n");

  const Read loop = ReadSection("[a]\ntitle=a\ntitlesection=b\n[b]\ntitle=b\ntitlesection=a\ntitlesection=c\n[c]\ntitle=c\n", "a");
  ASSERT_EQ(loop.added, 3);
  EXPECT_EQ(loop.list[2].text, "c");

  const Read twice = ReadSection("[a]\ntitlesection=c\ntitlesection=c\n[c]\ntitle=c\n", "a");
  EXPECT_EQ(twice.added, 2);  // the same section twice in a row is no loop
  EXPECT_EQ(twice.err, "");
}
