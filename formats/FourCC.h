#pragma once
#include <cstdint>

// A four-character code from its text, first character in the high byte
// ("moov" is 0x6D6F6F76); a literal 'moov' would trip -Wmultichar.
consteval std::uint32_t FourCC(const char (&s)[5]) {
  return std::uint32_t(std::uint8_t(s[0])) << 24 | std::uint32_t(std::uint8_t(s[1])) << 16 |
         std::uint32_t(std::uint8_t(s[2])) << 8 | std::uint8_t(s[3]);
}
