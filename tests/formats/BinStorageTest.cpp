#include <gtest/gtest.h>

#include <string>

#include "formats/BinStorage.h"
#include "platform/quicktime/QtTypes.h"

namespace {
std::string Bytes(const BinStorage& b) { return std::string(reinterpret_cast<const char*>(b.data()), b.Length()); }
}  // namespace

TEST(BinStorage, NumbersInBothOrdersAndHexWidths) {
  BinStorage b;
  b.AppendU32(0x12345678, true);
  b.AppendU32(0x12345678, false);
  b.AppendU16(0xABCD, true);
  b.AppendU64(0x0102030405060708ull, true);
  EXPECT_EQ(Bytes(b), std::string("\x12\x34\x56\x78\x78\x56\x34\x12\xAB\xCD\x01\x02\x03\x04\x05\x06\x07\x08", 18));

  BinStorage hex;
  for (const char* text : {"ff", "00ff", "12345", "123456789", "0001"}) hex.AppendHex(text, true);
  EXPECT_EQ(Bytes(hex), std::string("\xFF" "\x00\xFF" "\x00\x01\x23\x45" "\x00\x00\x00\x01\x23\x45\x67\x89" "\x00\x01",
                                    17));
}

TEST(BinStorage, GrowsByItsStepsAndKeepsContents) {
  BinStorage bytes;
  for (int i = 0; i < 2049; ++i) bytes.AppendByte(std::uint8_t(i));
  EXPECT_EQ(bytes.size(), 2048u + 1026u);
  for (int i = 0; i < 2049; ++i) ASSERT_EQ(bytes.data()[i], std::uint8_t(i));

  BinStorage block;
  const std::string big(5000, 'x');
  block.AppendBytes(big.data(), big.size());
  EXPECT_EQ(block.size(), 2048u + 10000u + 1024u);
  EXPECT_EQ(Bytes(block), big);
}

TEST(BinStorage, NestedAtomsStringsAndFree) {
  BinStorage b;
  b.BeginAtom(Tag("moov"));
  b.BeginAtom(Tag("udta"));
  b.AppendU32(0xDEADBEEF, true);
  EXPECT_EQ(b.EndAtom(Tag("udta")), 12u);
  EXPECT_EQ(b.EndAtom(Tag("moov")), 20u);
  EXPECT_EQ(Bytes(b), std::string("\0\0\0\x14moov\0\0\0\x0Cudta\xDE\xAD\xBE\xEF", 20));

  BinStorage s;
  EXPECT_TRUE(s.AppendPString("abc", true, false));
  EXPECT_TRUE(s.AppendPString("de", false, true));
  EXPECT_TRUE(s.AppendCString("f", true));
  EXPECT_FALSE(s.AppendPString(std::string(256, 'a'), false, true));
  EXPECT_FALSE(s.AppendCString(std::string(256, 'a'), false));
  EXPECT_EQ(Bytes(s), std::string("\x03" "abc\0" "\x00\x02" "de" "f\0", 11));

  BinStorage f;
  f.AppendFreeAtom(0);
  f.AppendFreeAtom(2);
  EXPECT_EQ(Bytes(f), std::string("\0\0\0\x08" "free" "\0\0\0\x0A" "free\0\0", 18));
}
