#include <gtest/gtest.h>

#include <string>

#include "formats/NeroChapterList.h"

namespace {
std::string Bytes(const BinStorage& b) { return std::string(reinterpret_cast<const char*>(b.data()), b.Length()); }
}  // namespace

TEST(NeroChapterList, StartsInHundredNanosecondsAndTitlesAsTheyAre) {
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
}

TEST(NeroChapterList, TitlesCutOnACharacterAndAtMost255Chapters) {
  NeroChapterList list(1000);
  const std::string ascii(254, 'a');
  list.Add(0, ascii + "é");  // 256 bytes: the two-byte é would be split, so it goes
  list.Add(0, ascii + "z" + "é");  // 255 bytes before the é: kept whole
  BinStorage out;
  ASSERT_TRUE(list.AppendAtom(out));
  const std::string bytes = Bytes(out);
  ASSERT_EQ(bytes.size(), 17u + 9 + 254 + 9 + 255);
  EXPECT_EQ(std::uint8_t(bytes[17 + 8]), 254);
  EXPECT_EQ(bytes.substr(17 + 9, 254), ascii);
  EXPECT_EQ(std::uint8_t(bytes[17 + 9 + 254 + 8]), 255);
  EXPECT_EQ(bytes.substr(bytes.size() - 255), ascii + "z");

  NeroChapterList full(1000);
  for (int i = 0; i < 255; ++i) full.Add(i * 1000, "c");
  BinStorage fits;
  ASSERT_TRUE(full.AppendAtom(fits));
  EXPECT_EQ(std::uint8_t(fits.data()[16]), 255);
  full.Add(255000, "one too many");
  BinStorage refused;
  EXPECT_FALSE(full.AppendAtom(refused));
  EXPECT_EQ(refused.Length(), 0u);
}
