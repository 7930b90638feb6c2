#include <gtest/gtest.h>

#include "formats/TextSampleSettings.h"

TEST(TextSampleSettings, ColoursAndTheirReferences) {
  TextSampleSettings s;
  EXPECT_TRUE(s.IsTextBoxEmpty());
  EXPECT_EQ(s.backColorRef, &s.backColor);  // black background from the start
  EXPECT_EQ(s.textColorRef, nullptr);
  EXPECT_TRUE(s.ParseKey("href", "HREFrgbtextcolor", "255 255 0"));
  EXPECT_EQ(s.textColor, (RGBColor{65535, 65535, 0}));
  EXPECT_EQ(s.textColorRef, &s.textColor);
  EXPECT_TRUE(s.ParseKey("href", "hrefrgbtextcolor", "255 0"));  // too few: black, still referenced
  EXPECT_EQ(s.textColor, RGBColor{});
  EXPECT_TRUE(s.Set("rgbhilitecolor", "128;1,0"));
  EXPECT_EQ(s.hiliteColor, (RGBColor{32896, 257, 0}));

  const TextSampleSettings copy = s;  // a copy refers to its own colours
  EXPECT_EQ(copy.textColorRef, &copy.textColor);
  EXPECT_EQ(copy.hiliteColorRef, &copy.hiliteColor);
  EXPECT_EQ(copy.backColorRef, &copy.backColor);
  EXPECT_EQ(TextSampleSettings(TextSampleSettings()).textColorRef, nullptr);
}

TEST(TextSampleSettings, NumbersBoxesAndFonts) {
  TextSampleSettings s;
  EXPECT_TRUE(s.ParseKey("href", "hreftextbox", "10 20 300 60"));
  EXPECT_EQ(s.textBox, (QDRect{20, 10, 60, 300}));
  EXPECT_FALSE(s.IsTextBoxEmpty());
  s.Set("textbox", "10 20 300");
  EXPECT_TRUE(s.IsTextBoxEmpty());
  s.Set("displayflags", "40000");
  EXPECT_EQ(s.displayFlags, -25536);  // 16 bits, not 32
  s.Set("scrolldelay", "65537");
  EXPECT_EQ(s.scrollDelay, 1);
  s.Set("textface", "257");
  EXPECT_EQ(s.textFace, 1);
  EXPECT_TRUE(s.Set("font", "Arial") && s.Set("Font", "Georgia"));
  EXPECT_FALSE(s.Set("fonts", "Times"));
  EXPECT_EQ(s.fonts, (StdStringList{"Arial", "Georgia"}));
  EXPECT_FALSE(s.ParseKey("href", "fontsize", "20"));
  EXPECT_FALSE(s.ParseKey(nullptr, "fontsize", "20"));
}
