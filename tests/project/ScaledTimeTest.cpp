#include <gtest/gtest.h>

#include "project/ScaledTime.h"

TEST(ScaledTime, NormalizesAndKeepsScalesOnlyWhenPositive) {
  const ScaledTime t(600, 1300);
  EXPECT_EQ(t.seconds, 2);
  EXPECT_EQ(t.units, 100);
  EXPECT_EQ(t.Value(), 1300);

  const ScaledTime unscaled(-5, 1300);  // no scale: nothing to normalise by
  EXPECT_EQ(unscaled.scale, 0);
  EXPECT_EQ(unscaled.units, 1300);
  EXPECT_EQ(unscaled.Value(), 1300);

  const ScaledTime negative(600, -700);  // a negative remainder stays as it is
  EXPECT_EQ(negative.seconds, 0);
  EXPECT_EQ(negative.units, -700);

  ScaledTime s(600, 0);
  EXPECT_TRUE(s.Set(1800, 0));  // scale 0 keeps the old one
  EXPECT_EQ(s.scale, 600);
  EXPECT_EQ(s.seconds, 3);
  EXPECT_TRUE(s.Set(1500, 1000));
  EXPECT_EQ(s.scale, 1000);
  EXPECT_EQ(s.seconds, 1);
  EXPECT_EQ(s.units, 500);
  s.Clear();
  EXPECT_EQ(s.scale, 0);
  EXPECT_EQ(s.Value(), 0);

  const ScaledTime big(600, std::int64_t(600) * 4000000);  // 4 million seconds: past 32 bits in units
  EXPECT_EQ(big.Value64In(600), std::int64_t(600) * 4000000);
  EXPECT_EQ(big.Value(), std::int32_t(std::uint32_t(std::uint64_t(600) * 4000000)));  // wraps like 32-bit code
}

TEST(ScaledTime, ConvertsComparesAndSubtractsAcrossScales) {
  const ScaledTime oneSecond(600, 600), thousand(1000, 1000);
  EXPECT_FALSE(oneSecond.IsGreater(thousand));
  EXPECT_FALSE(oneSecond.IsLess(thousand));
  EXPECT_FALSE(thousand.IsLess(oneSecond));
  EXPECT_TRUE(ScaledTime(600, 601).IsGreater(thousand));
  EXPECT_TRUE(ScaledTime(1000, 999).IsLess(oneSecond));

  const ScaledTime t(600, 900);  // 1.5 s
  EXPECT_EQ(t.ValueIn(600), 900);
  EXPECT_EQ(t.ValueIn(44100), 66150);
  EXPECT_EQ(t.Value64In(1000), 1500);
  EXPECT_EQ(ScaledTime(600, 1).ValueIn(1000), 2);  // 1.67 rounds to the nearest unit
  EXPECT_EQ(t.scale, 600);                          // a conversion never changes the value itself

  ScaledTime c(600, 900);
  EXPECT_TRUE(c.SetScale(1000));
  EXPECT_EQ(c.seconds, 1);
  EXPECT_EQ(c.units, 500);
  ScaledTime noScale(0, 900);
  EXPECT_FALSE(noScale.SetScale(0));
  EXPECT_TRUE(noScale.SetScale(600));  // nothing to convert from: the units stay
  EXPECT_EQ(noScale.Value64In(600), 900);

  const ScaledTime diff = ScaledTime(600, 1200).Minus(ScaledTime(1000, 500));
  EXPECT_EQ(diff.scale, 600);
  EXPECT_EQ(diff.Value(), 900);
  const ScaledTime negative = ScaledTime(600, 300).Minus(ScaledTime(600, 900));
  EXPECT_EQ(negative.seconds, 0);
  EXPECT_EQ(negative.units, -600);

  ScaledTime same(600, 1200);
  same.SubtractSameScale(ScaledTime(1000, 500));  // taken in its own units, unconverted
  EXPECT_EQ(same.Value(), 700);
}

TEST(ScaledTime, ParsesFourFieldTimeStrings) {
  struct Case {
    const char* text;
    bool valid;
    std::int32_t seconds;
    std::int64_t units;
  };
  const Case cases[] = {
      {"00:01:30.300", true, 90, 300},  {"1,2,3,4", true, 3723, 4},      {"0:0:0:700", true, 1, 100},
      {"-0:01:00.0", true, 60, 0},      {"00:00:05.50", true, 5, 50},    {"00:00:10.1200", true, 12, 0},
      {"aa:bb:cc:dd", true, 0, 0},      {" 1 : 2 : 3 . 4", true, 3723, 4}, {"1:2:3:4:5", true, 3723, 4},
      {"01:30", false, 0, 0},           {"5", false, 0, 0},              {"1:2:3", false, 0, 0},
      {"", false, 0, 0},                {"1::2.3", false, 0, 0},
      {"99999999999:0:0.0", true, std::int32_t(std::uint32_t(2147483647u) * 3600u), 0},
  };
  for (const Case& c : cases) {
    ScaledTime t(600, 12345);
    EXPECT_EQ(t.Parse(c.text), c.valid) << c.text;
    EXPECT_EQ(t.scale, 600) << c.text;
    EXPECT_EQ(t.seconds, c.seconds) << c.text;
    EXPECT_EQ(t.units, c.units) << c.text;
  }
  ScaledTime thousand(1000, 0);
  ASSERT_TRUE(thousand.Parse("0:0:1.999"));  // units of the value's own scale, not hundredths
  EXPECT_EQ(thousand.Value(), 1999);
}
