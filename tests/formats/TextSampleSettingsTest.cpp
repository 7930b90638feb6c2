#include <gtest/gtest.h>

#include "formats/TextSampleSettings.h"

TEST(TextSampleSettings, DefaultsAndColourReferences) {
  TextSampleSettings s;
  EXPECT_TRUE(s.IsTextBoxEmpty());
  EXPECT_EQ(s.backColorRef, &s.backColor);
  EXPECT_EQ(s.backColor, RGBColor{});
  EXPECT_EQ(s.textColorRef, nullptr);
  EXPECT_EQ(s.hiliteColorRef, nullptr);
  EXPECT_EQ(s.textJustification, 1);
  EXPECT_EQ(s.displayFlags, 4);

  EXPECT_TRUE(s.ParseKey("href", "hrefrgbtextcolor", "255 255 0"));
  EXPECT_EQ(s.textColor, (RGBColor{65535, 65535, 0}));
  EXPECT_EQ(s.textColorRef, &s.textColor);
  EXPECT_TRUE(s.ParseKey("href", "HREFRGBTEXTCOLOR", "255 0"));  // too few: black, still referenced
  EXPECT_EQ(s.textColor, RGBColor{});
  EXPECT_EQ(s.textColorRef, &s.textColor);
  EXPECT_TRUE(s.Set("rgbhilitecolor", "128;1,0"));
  EXPECT_EQ(s.hiliteColor, (RGBColor{32896, 257, 0}));
  EXPECT_EQ(s.hiliteColorRef, &s.hiliteColor);

  // A copy's references point at the copy's own colours, never the original's.
  const TextSampleSettings copy = s;
  EXPECT_EQ(copy.textColorRef, &copy.textColor);
  EXPECT_EQ(copy.hiliteColorRef, &copy.hiliteColor);
  EXPECT_EQ(copy.backColorRef, &copy.backColor);
  EXPECT_EQ(*copy.hiliteColorRef, (RGBColor{32896, 257, 0}));
  TextSampleSettings assigned;
  assigned = TextSampleSettings();
  EXPECT_EQ(assigned.textColorRef, nullptr);
  EXPECT_EQ(assigned.backColorRef, &assigned.backColor);
}

TEST(TextSampleSettings, NumbersBoxesAndFonts) {
  TextSampleSettings s;
  EXPECT_TRUE(s.ParseKey("href", "hreftextbox", "10 20 300 60"));
  EXPECT_EQ(s.textBox, (QDRect{20, 10, 60, 300}));
  EXPECT_FALSE(s.IsTextBoxEmpty());
  s.Set("textbox", "10 20 300");
  EXPECT_EQ(s.textBox, QDRect{});
  EXPECT_TRUE(s.IsTextBoxEmpty());

  s.Set("displayflags", "40000");
  EXPECT_EQ(s.displayFlags, -25536);
  s.Set("displayflags", "4");
  EXPECT_EQ(s.displayFlags, 4);
  s.Set("scrolldelay", "65537");
  EXPECT_EQ(s.scrollDelay, 1);
  s.Set("fontsize", "70000");
  EXPECT_EQ(s.fontSize, 4464);
  s.Set("textface", "257");
  EXPECT_EQ(s.textFace, 1);
  for (const char* key : {"fontnumber", "textjustification", "hilitestart", "hiliteend", "verticaljust",
                          "horizontaljust"})
    EXPECT_TRUE(s.Set(key, "7")) << key;
  EXPECT_EQ(s.fontNumber + s.textJustification + s.hiliteStart + s.hiliteEnd + s.verticalJust + s.horizontalJust,
            42);

  EXPECT_TRUE(s.Set("font", "Arial"));
  EXPECT_TRUE(s.Set("Font", "Georgia"));
  EXPECT_FALSE(s.Set("fonts", "Times"));
  ASSERT_EQ(s.fonts.size(), 2u);
  EXPECT_EQ(s.fonts[1], "Georgia");

  EXPECT_FALSE(s.ParseKey("href", "fontsize", "20"));  // no prefix
  EXPECT_FALSE(s.ParseKey("", "fontsize", "20"));
  EXPECT_FALSE(s.ParseKey(nullptr, "fontsize", "20"));
  EXPECT_FALSE(s.ParseKey("href", "hrefbogus", "20"));
}
