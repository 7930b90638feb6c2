#include "platform/helper/TextEncoding.h"

#include <array>
#include <cstdint>

namespace {
// Windows-1252 0x80..0x9F; 0 marks the five undefined bytes, kept as C1 controls.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += char(c);
  } else if (c < 0x800) {
    out += char(0xC0 | (c >> 6));
    out += char(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += char(0xE0 | (c >> 12));
    out += char(0x80 | ((c >> 6) & 0x3F));
    out += char(0x80 | (c & 0x3F));
  } else {
    out += char(0xF0 | (c >> 18));
    out += char(0x80 | ((c >> 12) & 0x3F));
    out += char(0x80 | ((c >> 6) & 0x3F));
    out += char(0x80 | (c & 0x3F));
  }
}

// Decodes one UTF-8 sequence at `i`; returns its length, 0 when malformed.
std::size_t DecodeUtf8(std::string_view s, std::size_t i, char32_t& c) {
  const auto b = [&](std::size_t k) { return std::uint8_t(s[i + k]); };
  const std::uint8_t lead = b(0);
  std::size_t n;
  if (lead < 0x80) { c = lead; return 1; }
  if (lead >= 0xC2 && lead <= 0xDF) { n = 2; c = lead & 0x1F; }
  else if (lead >= 0xE0 && lead <= 0xEF) { n = 3; c = lead & 0x0F; }
  else if (lead >= 0xF0 && lead <= 0xF4) { n = 4; c = lead & 0x07; }
  else return 0;
  if (i + n > s.size()) return 0;
  for (std::size_t k = 1; k < n; ++k) {
    if ((b(k) & 0xC0) != 0x80) return 0;
    c = c << 6 | (b(k) & 0x3F);
  }
  const bool overlong = (n == 3 && c < 0x800) || (n == 4 && c < 0x10000);
  if (overlong || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
  return n;
}
}  // namespace

bool IsValidUtf8(std::string_view text) {
  char32_t c = 0;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t n = DecodeUtf8(text, i, c);
    if (n == 0) return false;
    i += n;
  }
  return true;
}

std::string Cp1252ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  for (const char ch : text) {
    const std::uint8_t b = std::uint8_t(ch);
    const char32_t c = (b >= 0x80 && b < 0xA0 && kHigh[b - 0x80]) ? kHigh[b - 0x80] : b;
    AppendUtf8(out, c);
  }
  return out;
}

std::string TextToUtf8(std::string_view bytes) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  return IsValidUtf8(bytes) ? std::string(bytes) : Cp1252ToUtf8(bytes);
}

std::string StrToWideCharBOM(std::string_view utf8) {
  const std::string text = TextToUtf8(utf8);
  std::string out = "\xFE\xFF";
  const auto put = [&](char16_t u) {
    out += char(u >> 8);
    out += char(u & 0xFF);
  };
  char32_t c = 0;
  for (std::size_t i = 0; i < text.size();) {
    i += DecodeUtf8(text, i, c);  // never 0: the text is valid UTF-8 by now
    if (c < 0x10000) {
      put(char16_t(c));
    } else {
      c -= 0x10000;
      put(char16_t(0xD800 | (c >> 10)));
      put(char16_t(0xDC00 | (c & 0x3FF)));
    }
  }
  return out;
}
