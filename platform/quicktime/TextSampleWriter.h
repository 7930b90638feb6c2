#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/quicktime/QuickDrawTypes.h"

// The bytes of a QuickTime text sample and of its 'text' description.
class TextSampleWriter {
 public:
  struct Style {
    std::int32_t displayFlags = 0, justification = 0;
    RGBColor background, foreground;
    QDRect box;
    std::int16_t fontNumber = 0, fontSize = 0;
    std::uint8_t face = 0;
  };
  // The description, big-endian, data reference index 0.
  static std::vector<std::uint8_t> Description(const Style& style);
  // 16-bit length and the text, then the 'encd' atom when asked for. Text
  // with a UTF-16 byte-order mark becomes UTF-8 without one: what chapter
  // readers expect.
  static std::vector<std::uint8_t> Sample(const std::uint8_t* text, std::size_t size, bool unicode);
  static std::string Utf8FromUtf16(const std::uint8_t* text, std::size_t size, bool bigEndian);
};
