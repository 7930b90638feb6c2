#include <gtest/gtest.h>

#include "imaging/MediaFormat.h"
#include "imaging/MediaFormatValues.h"

namespace {
MediaFormat With(std::initializer_list<std::pair<const char*, const char*>> keys) {
  MediaFormat f;
  for (const auto& [key, value] : keys) f.ParseKey("title", key, value);
  return f;
}
}  // namespace

TEST(MediaFormat, ColoursAndSizes) {
  EXPECT_EQ(With({{"titletextcolor", "255 0 0"}}).textColor, 0x0000FFu);
  EXPECT_EQ(With({{"TitleTextColor", "1,2;3"}}).textColor, 0x030201u);
  EXPECT_EQ(With({{"titletextcolor", "0 0 0"}, {"titletextcolor", "255"}}).textColor, 0u);  // too few: kept
  EXPECT_EQ(With({{"titletextcolor", "0 0 0"}, {"titletextcolor", ""}}).textColor, 0xFFFFFFu);
  EXPECT_EQ(With({{"titletextcolor", "256 511 -1"}}).textColor, 0xFFFF00u);  // low byte of each

  EXPECT_EQ(With({{"titletextbackground", "0 0 0"}}).backColor, 0u);
  EXPECT_EQ(With({{"titletextbackground", "0 0 0"}, {"titletextbackground", "-1"}}).backColor,
            MediaFormatBase::kNoBackground);
  EXPECT_EQ(With({{"titletextbackground", "0 0 0"}, {"titletextbackground", ""}}).backColor,
            MediaFormatBase::kNoBackground);

  EXPECT_EQ(With({{"titlefontsize", "2"}}).fontSize, 4);
  EXPECT_EQ(With({{"titlefontsize", "1000"}}).fontSize, 512);
  EXPECT_EQ(With({{"titlefontsize", "40"}, {"titlefontsize", ""}}).fontSize, 12);
  EXPECT_EQ(With({{"titlefontsize", "abc"}}).fontSize, 4);  // reads as 0
  EXPECT_EQ(With({{"titlefont", "Arial"}, {"titlefont", ""}}).face, "");
}

TEST(MediaFormat, PositionsAndBoxes) {
  const std::pair<const char*, int> positions[] = {{"1", 4}, {"2", 5}, {"3", 6}, {"m", 1}, {"Middle", 1},
                                                   {"u", 2}, {"W", 3}, {"x", 0}, {"", 0}};
  for (const auto& [value, code] : positions) EXPECT_EQ(With({{"titletextposition", value}}).textPosition, code) << value;

  MediaFormat f = With({{"titletextbox", "1 2 3 4"}, {"titletextposition", "m"}});
  EXPECT_EQ(f.textBox, RECT{});
  EXPECT_EQ(f.textPosition, 1);
  f.ParseKey("title", "titletextbox", "20 400 620 460");
  EXPECT_EQ(f.textBox, (RECT{20, 400, 620, 460}));
  EXPECT_EQ(f.textPosition, 1);  // the box wins when drawing; the position is kept
  testing::internal::CaptureStderr();
  f.ParseKey("title", "titletextbox", "1 2 3");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "invalid text rectangle: 1 2 3\n");
  EXPECT_EQ(f.textBox, (RECT{20, 400, 620, 460}));
  f.ParseKey("title", "titletextbox", "70000 -1 -2 65535");
  EXPECT_EQ(f.textBox, (RECT{4464, -1, -2, -1}));
  f.ParseKey("title", "titletextbox", "");
  EXPECT_EQ(f.textBox, RECT{});
}

TEST(MediaFormat, FlagsDefaultsAndOtherDirectives) {
  EXPECT_EQ(ParseFormatFlags("center|vcenter|singleline"), 0x25u);
  EXPECT_EQ(ParseFormatFlags("center, singleline | bogus"), 0x21u);
  EXPECT_EQ(ParseFormatFlags("PREFIXONLY hideprefix word_ellipsis"), 0x340000u);
  EXPECT_EQ(ParseFormatFlags(""), 0u);
  EXPECT_EQ(With({{"titleformatflags", "right"}, {"titleformatflags", ""}}).formatFlags, 0u);

  MediaFormat f = With({{"titlefont", "Arial"},      {"titlefontsize", "30"},     {"titletextcolor", "1 2 3"},
                        {"titletextbackground", "4 5 6"}, {"titletextposition", "2"}, {"titletextbox", "1 2 3 4"},
                        {"titletextjustification", "7"}, {"titleformatflags", "center"}, {"titletextflags", "8"},
                        {"titleframerect", "9"}});
  EXPECT_EQ(f.textJustification, 7);
  EXPECT_EQ(f.textFlags, 8);
  EXPECT_EQ(f.frameRect, 9);
  f.ParseKey("title", "titleformatdefault", "ignored");
  MediaFormat expected;
  expected.textBox = RECT{1, 2, 3, 4};  // the box survives a reset
  EXPECT_EQ(f.face, expected.face);
  EXPECT_EQ(f.fontSize, expected.fontSize);
  EXPECT_EQ(f.textColor, expected.textColor);
  EXPECT_EQ(f.backColor, expected.backColor);
  EXPECT_EQ(f.textPosition, 0);
  EXPECT_EQ(f.textBox, expected.textBox);
  EXPECT_EQ(f.formatFlags | std::uint32_t(f.textJustification | f.textFlags | f.frameRect), 0u);

  EXPECT_FALSE(f.ParseKey("title", "title", "x"));
  EXPECT_FALSE(f.ParseKey("title", "titlebogus", "x"));
  EXPECT_FALSE(f.ParseKey("", "fontsize", "20"));
  EXPECT_FALSE(f.ParseKey("title", "tit", "20"));
  EXPECT_TRUE(f.ParseKey("href", "HREFfontsize", "20"));
}

TEST(MediaFormat, PushAndPopRestoreEveryField) {
  MediaFormat f = With({{"titlefontsize", "20"}, {"titletextbox", "1 2 3 4"}});
  f.ParseKey("title", "titleformatpop", "");  // nothing saved: no change
  EXPECT_EQ(f.fontSize, 20);
  f.ParseKey("title", "titleformatpush", "");
  f.ParseKey("title", "titlefontsize", "40");
  f.ParseKey("title", "titleformatpush", "");
  f.ParseKey("title", "titlefont", "Courier New");
  f.ParseKey("title", "titletextposition", "m");
  f.ParseKey("title", "titleformatflags", "right");

  MediaFormat copy = f;  // the saved states go with a copy
  ASSERT_EQ(copy.formatStack.size(), 2u);
  copy.Pop();
  EXPECT_EQ(copy.face, "");
  EXPECT_EQ(copy.fontSize, 40);
  EXPECT_EQ(copy.textBox, (RECT{1, 2, 3, 4}));
  EXPECT_EQ(copy.formatFlags, 0u);
  copy.Pop();
  EXPECT_EQ(copy.fontSize, 20);
  EXPECT_TRUE(copy.formatStack.empty());
  EXPECT_EQ(f.face, "Courier New");  // the original keeps its own state
  EXPECT_EQ(f.formatStack.size(), 2u);
}
