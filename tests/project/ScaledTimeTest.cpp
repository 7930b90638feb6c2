#include "PodFixture.h"

TEST(ScaledTime, NormalizesConvertsComparesAndSubtracts) {
  const ScaledTime t(600, 1300), unscaled(-5, 1300), negative(600, -700);
  EXPECT_EQ(t.seconds * 1000 + t.units, 2100);
  EXPECT_EQ(unscaled.scale, 0);  // no scale: nothing to normalise by
  EXPECT_EQ(unscaled.Value(), 1300);
  EXPECT_EQ(negative.units, -700);  // a negative remainder stays as it is

  ScaledTime s(600, 0);
  EXPECT_TRUE(s.Set(1800, 0));  // scale 0 keeps the old one
  EXPECT_EQ(s.scale * 10 + s.seconds, 6003);
  ScaledTime noScale(0, 900);
  EXPECT_TRUE(noScale.SetScale(600));  // nothing to convert from: the units stay
  EXPECT_EQ(noScale.Value64In(600), 900);

  const ScaledTime big(600, std::int64_t(600) * 4000000);  // past 32 bits in units
  EXPECT_EQ(big.Value64In(600), std::int64_t(600) * 4000000);
  EXPECT_EQ(big.Value(), std::int32_t(std::uint32_t(std::uint64_t(600) * 4000000)));  // wraps like 32-bit code

  const ScaledTime oneSecond(600, 600), thousand(1000, 1000);
  EXPECT_FALSE(oneSecond.IsGreater(thousand) || oneSecond.IsLess(thousand) || thousand.IsLess(oneSecond));
  EXPECT_TRUE(ScaledTime(600, 601).IsGreater(thousand) && ScaledTime(1000, 999).IsLess(oneSecond));
  EXPECT_EQ(ScaledTime(600, 900).ValueIn(44100), 66150);
  EXPECT_EQ(ScaledTime(600, 1).ValueIn(1000), 2);  // 1.67 rounds to the nearest unit

  EXPECT_EQ(ScaledTime(600, 1200).Minus(ScaledTime(1000, 500)).Value(), 900);
  const ScaledTime below = ScaledTime(600, 300).Minus(ScaledTime(600, 900));
  EXPECT_EQ(below.seconds * 1000 + below.units, -600);
  ScaledTime same(600, 1200);
  EXPECT_EQ(same.SubtractSameScale(ScaledTime(1000, 500)).Value(), 700);  // taken unconverted
}

// Every time string road, through the start key of a real project.
TEST(ScaledTime, TimeStringsInAProject) {
  const std::pair<const char*, int> valid[] = {
      {"00:01:30.300", 54300}, {"1,2,3,4", 2233804},   {"0:0:0:700", 700},    {"-0:01:00.0", 36000},
      {"00:00:05.50", 3050},   {"00:00:10.1200", 7200}, {"1:2:3:4:5", 2233804}, {" 1 : 2 : 3 . 4", 2233804},
      {"0:-1:00.0", 36000},    {"0:0:-2.-30", 1230}};
  TempDir dir;
  for (const auto& [text, units] : valid) {
    const LoadedPod pod = LoadPod(dir, "[podcast]\nbasename=b\n[editpoint_1]\nchapter=c\nstart=" + std::string(text));
    EXPECT_EQ(pod.err, "") << text;
    EXPECT_EQ(PartsOf<EditPointChapter>(*pod.project, 4)[0]->startTime.Value(), units) << text;
  }
  // aa:bb:cc:dd reads as zero, so the offset is used instead.
  EXPECT_EQ(LoadPod(dir, "[podcast]\nbasename=b\n[editpoint_1]\nstart=aa:bb:cc:dd\n").err, "");
  for (const char* text : {"01:30", "5", "1:2:3", "1::2.3"}) {
    const LoadedPod pod = LoadPod(dir, "[podcast]\nbasename=b\n[editpoint_1]\nchapter=c\nstart=" + std::string(text));
    std::string expected;
    for (int part = 0; part < 5; ++part) expected += "the chapter start time string is invalid: " + std::string(text) + "\n";
    EXPECT_EQ(pod.err, expected);
    EXPECT_EQ(PartsOf<EditPointChapter>(*pod.project, 4)[0]->startTime.Value(), 0) << text;
  }
  const LoadedPod thousand = LoadPod(dir, "[podcast]\nbasename=b\ntimescale=1000\n[editpoint_1]\nstart=0:0:1.999\n");
  EXPECT_EQ(PartsOf<EditPointChapter>(*thousand.project, 4)[0]->startTime.Value(), 1999);  // units, not hundredths
}
