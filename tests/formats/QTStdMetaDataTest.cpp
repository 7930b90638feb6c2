#include <gtest/gtest.h>

#include <string>

#include "formats/QTStdMetaData.h"
#include "platform/quicktime/QtTypes.h"

namespace {
std::string Bytes(const BinStorage& b) { return std::string(reinterpret_cast<const char*>(b.data()), b.Length()); }

std::string ItemOf(OSType type, const std::string& value) {
  QTStdMetaData md;
  md.AddItem(type, value, QTStdMetaData::kText);
  return Bytes(md);
}
}  // namespace

TEST(QTStdMetaData, ValueSyntaxGivesClassAndBytes) {
  EXPECT_EQ(ItemOf(Tag("rtng"), "&00"), std::string("\x00\x00\x00\x19rtng\x00\x00\x00\x11" "data"
                                                    "\x00\x00\x00\x15\x00\x00\x00\x00\x00",
                                                    25));
  EXPECT_EQ(ItemOf(Tag("\xA9" "nam"), "Ab"), std::string("\x00\x00\x00\x1A\xA9nam\x00\x00\x00\x12" "data"
                                                         "\x00\x00\x00\x01\x00\x00\x00\x00" "Ab",
                                                         26));
  const std::string head = std::string("data\x00\x00\x00", 7);
  // widths follow the digits: 0001 is two bytes, 5 digits four; blanks, tabs, @ and & separate pieces
  EXPECT_EQ(ItemOf(Tag("pcst"), "&0001").substr(12), head + "\x15" + std::string("\0\0\0\0\x00\x01", 6));
  EXPECT_EQ(ItemOf(Tag("tmpo"), "@0A 0B\t12345&7").substr(12),
            head + std::string("\x00\0\0\0\0\x0A\x0B\x00\x01\x23\x45\x07", 12));
  // @" keeps the rest as it stands, closing quote and all
  EXPECT_EQ(ItemOf(Tag("egid"), "@\"urn:x \"q\"").substr(12),
            head + std::string("\x00\0\0\0\0", 5) + "urn:x \"q\"");
  // & or @ only at the start is special; a lone & has no pieces
  EXPECT_EQ(ItemOf(Tag("desc"), "Tom & Jerry").substr(12), head + std::string("\x01\0\0\0\0", 5) + "Tom & Jerry");
  EXPECT_EQ(ItemOf(Tag("rtng"), "&"), std::string("\x00\x00\x00\x18rtng\x00\x00\x00\x10" "data"
                                                  "\x00\x00\x00\x15\x00\x00\x00\x00",
                                                  24));
}
