#pragma once
#include <cstdint>
#include <string>

// The toolbox's basic value types: error numbers, four-character codes,
// 16.16 fixed values and times counted in units of a time scale. Times and
// durations are 64-bit everywhere: at 44.1 kHz a 32-bit count ends after 13.5 hours.
using OSErr = std::int16_t;
using OSType = std::uint32_t;
using Fixed = std::int32_t;
using TimeValue = std::int64_t;
using TimeScale = std::int32_t;

constexpr Fixed fixed1 = 0x10000;

// A four-character code from its text; a literal 'mdhd' would trip -Wmultichar.
consteval OSType Tag(const char (&s)[5]) {
  return OSType(std::uint8_t(s[0])) << 24 | OSType(std::uint8_t(s[1])) << 16 | OSType(std::uint8_t(s[2])) << 8 |
         std::uint8_t(s[3]);
}

// The four characters of a code in reading order.
inline std::string TagText(OSType type) {
  std::string text(4, ' ');
  for (int i = 0; i < 4; ++i) text[std::size_t(i)] = char(type >> (24 - 8 * i) & 0xFF);
  return text;
}
