#include <gtest/gtest.h>

#include "imaging/TitleList.h"
#include "platform/helper/UPrivProfilePrefs.h"

namespace {
// The titles that section `section` of `ini` adds, as "text/fontsize/colour;", then what was printed.
std::string Titles(const std::string& ini, const std::string& section) {
  UPrivProfilePrefs prefs;
  prefs.Parse(ini);
  StdStringPairs pairs;
  prefs.GetKeysAndValue(section, pairs);
  TitleList list;
  MediaFormat format;
  testing::internal::CaptureStderr();
  const int added = ReadTitleSection(list, prefs, pairs, format, section);
  std::string seen = std::to_string(added) + ":";
  for (const TitleItem& t : list) seen += t.text + "/" + std::to_string(t.format.fontSize) + "/" + t.format.face + ";";
  return seen + testing::internal::GetCapturedStderr();
}
}  // namespace

TEST(TitleList, TitlesFreezeTheFormatInForce) {
  TitleList list;
  MediaFormat f;
  list.Add("one", f);
  f.ParseKey("title", "titlefontsize", "30");
  EXPECT_EQ(list.Add("two", f).text, "two");
  f.ParseKey("title", "titlefontsize", "40");
  list.AddAll(list);  // doubling itself must not run away
  ASSERT_EQ(list.size(), 4u);
  EXPECT_EQ(list[0].format.fontSize + list[1].format.fontSize + list[3].format.fontSize, 72);
}

TEST(TitleList, SectionsNestShareOneFormatAndEndWhereTheyLoop) {
  EXPECT_EQ(Titles("[d]\ntitlefontsize=20\ntitle=first\ntitlesection=inner\ntitle=after\ntitlesection=missing\ntitle=\n"
                   "[inner]\ntitleformatpush=\nTitleFontSize=8\nTitle=small\ntitleformatpop=\ntitlefont=Arial\nx=y\n",
                   "d"),
            "4:first/20/;small/8/;after/20/Arial;/20/Arial;");
  EXPECT_EQ(Titles("[a]\ntitle=x\ntitlesection=A\n", "a"), "1:x/12/;title section \"A\" names itself and is not read again\n");
  EXPECT_EQ(Titles("[a]\ntitle=a\ntitlesection=b\n[b]\ntitle=b\ntitlesection=a\ntitlesection=c\n[c]\ntitle=c\n", "a"),
            "3:a/12/;b/12/;c/12/;title section \"a\" names itself and is not read again\n");
  EXPECT_EQ(Titles("[a]\ntitlesection=c\ntitlesection=c\n[c]\ntitle=c\n", "a"), "2:c/12/;c/12/;");  // twice is no loop
}
