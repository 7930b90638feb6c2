#include <gtest/gtest.h>

#include <string>

#include "formats/NeroChapterList.h"

namespace {
std::string Bytes(const BinStorage& b) { return std::string(reinterpret_cast<const char*>(b.data()), b.Length()); }
}  // namespace

TEST(NeroChapterList, StartsInHundredNanosecondsTitlesAsTheyAreAtMost255) {
  NeroChapterList list(44100);
  list.Add(0, "Intro");
  list.Add(44100LL * 90 + 1, "Ü");  // 90 s and 22.7 units of 100 ns, rounded up
  list.Add(44100LL * 3600 * 30, "");  // 30 hours: past what 32 bits of 44.1 kHz hold
  BinStorage out;
  ASSERT_TRUE(list.AppendAtom(out));
  EXPECT_EQ(Bytes(out), std::string("\x00\x00\x00\x33" "chpl\x01\x00\x00\x00\x00\x00\x00\x00\x03"
                                    "\x00\x00\x00\x00\x00\x00\x00\x00\x05Intro"
                                    "\x00\x00\x00\x00\x35\xA4\xE9\xE3\x02\xC3\x9C"
                                    "\x00\x00\x00\xFB\x75\x04\x30\x00\x00",
                                    51));

  NeroChapterList coarse(600);
  coarse.Add(1, "x");  // 1/600 s is 16666.67 units
  BinStorage one;
  ASSERT_TRUE(coarse.AppendAtom(one));
  EXPECT_EQ(Bytes(one).substr(17, 8), std::string("\x00\x00\x00\x00\x00\x00\x41\x1B", 8));

  for (int i = 1; i < 255; ++i) coarse.Add(i, "c");
  BinStorage full, refused;
  EXPECT_TRUE(coarse.AppendAtom(full));
  coarse.Add(255, "one too many for its 8-bit count");
  EXPECT_FALSE(coarse.AppendAtom(refused));
  EXPECT_EQ(refused.Length(), 0u);
}
