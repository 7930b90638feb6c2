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

TEST(MediaFormat, ValuesThatParseAndValuesThatFallBack) {
  EXPECT_EQ(With({{"TitleTextColor", "255 0 0"}}).textColor, 0x0000FFu);
  EXPECT_EQ(With({{"titletextcolor", "256,511;-1"}}).textColor, 0xFFFF00u);  // the low byte of each
  EXPECT_EQ(With({{"titletextcolor", "0 0 0"}, {"titletextcolor", "255"}}).textColor, 0u);  // too few: kept
  EXPECT_EQ(With({{"titletextcolor", "0 0 0"}, {"titletextcolor", ""}}).textColor, 0xFFFFFFu);
  EXPECT_EQ(With({{"titletextbackground", "0 0 0"}}).backColor, 0u);
  EXPECT_EQ(With({{"titletextbackground", "0 0 0"}, {"titletextbackground", "-1"}}).backColor, MediaFormat::kNoBackground);
  EXPECT_EQ(With({{"titlefontsize", "2"}}).fontSize, 4);
  EXPECT_EQ(With({{"titlefontsize", "1000"}}).fontSize, 512);
  EXPECT_EQ(With({{"titlefontsize", "40"}, {"titlefontsize", ""}}).fontSize, 12);
  EXPECT_EQ(ParseFormatFlags("center|vcenter|singleline"), 0x25u);
  EXPECT_EQ(ParseFormatFlags("center, singleline | bogus"), 0x21u);
  EXPECT_EQ(ParseFormatFlags("PREFIXONLY hideprefix word_ellipsis"), 0x340000u);

  const std::pair<const char*, int> positions[] = {{"1", 4}, {"2", 5}, {"3", 6}, {"Middle", 1}, {"u", 2},
                                                   {"W", 3}, {"x", 0}, {"", 0}};
  for (const auto& [value, code] : positions) EXPECT_EQ(With({{"titletextposition", value}}).textPosition, code) << value;
  MediaFormat f = With({{"titletextbox", "1 2 3 4"}, {"titletextposition", "m"}});
  EXPECT_EQ(f.textBox, RECT{});  // a position clears the box
  f.ParseKey("title", "titletextbox", "20 400 620 460");
  EXPECT_EQ(f.textBox, (RECT{20, 400, 620, 460}));
  testing::internal::CaptureStderr();
  f.ParseKey("title", "titletextbox", "1 2 3");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "invalid text rectangle: 1 2 3\n");
  EXPECT_EQ(f.textBox, (RECT{20, 400, 620, 460}));
  f.ParseKey("title", "titletextbox", "70000 -1 -2 65535");
  EXPECT_EQ(f.textBox, (RECT{4464, -1, -2, -1}));

  EXPECT_FALSE(f.ParseKey("title", "title", "x"));
  EXPECT_FALSE(f.ParseKey("title", "titlebogus", "x"));
  EXPECT_FALSE(f.ParseKey("", "fontsize", "20"));
}

TEST(MediaFormat, DefaultPushAndPop) {
  MediaFormat f = With({{"titlefont", "Arial"}, {"titlefontsize", "30"}, {"titletextbackground", "4 5 6"},
                        {"titletextposition", "2"}, {"titletextbox", "1 2 3 4"}, {"titleformatflags", "center"},
                        {"titletextjustification", "7"}, {"titletextflags", "8"}, {"titleframerect", "9"}});
  MediaFormat reset = f;
  reset.ParseKey("title", "titleformatdefault", "ignored");
  MediaFormat expected;
  expected.textBox = RECT{1, 2, 3, 4};  // the box survives a reset
  auto fields = [](const MediaFormatBase& m) {
    return m.face + " " + std::to_string(m.fontSize) + " " + std::to_string(m.textColor) + " " +
           std::to_string(m.backColor) + " " + std::to_string(m.textPosition) + " " + std::to_string(m.textBox.left) +
           std::to_string(m.textBox.bottom) + " " + std::to_string(m.formatFlags) + " " +
           std::to_string(m.textJustification) + std::to_string(m.textFlags) + std::to_string(m.frameRect);
  };
  EXPECT_EQ(fields(reset), fields(expected));

  const std::string before = fields(f);
  f.ParseKey("title", "titleformatpop", "");  // nothing saved: no change
  EXPECT_EQ(fields(f), before);
  f.ParseKey("title", "titleformatpush", "");
  f.ParseKey("title", "titleformatdefault", "");
  f.ParseKey("title", "titleformatpush", "");
  f.ParseKey("title", "titlefont", "Courier New");
  MediaFormat copy = f;  // the saved states go with a copy
  copy.Pop();
  EXPECT_EQ(fields(copy), fields(reset));
  copy.Pop();
  EXPECT_EQ(fields(copy), before);
  EXPECT_TRUE(copy.formatStack.empty());
  EXPECT_EQ(f.formatStack.size(), 2u);  // the original keeps its own
}
