#include "platform/quicktime/TextSampleWriter.h"

#include <algorithm>

#include "platform/quicktime/QtTypes.h"
#include "platform/quicktime/atoms/AtomWriter.h"

namespace {
constexpr std::size_t kMaxText = 0xFFFF;  // the length field holds 16 bits

void PutColor(AtomWriter& out, RGBColor color) {
  out.PutBig(color.red, 2);
  out.PutBig(color.green, 2);
  out.PutBig(color.blue, 2);
}

void PutUtf8(std::string& out, std::uint32_t code) {
  if (code < 0x80) {
    out += char(code);
  } else if (code < 0x800) {
    out += char(0xC0 | code >> 6);
    out += char(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += char(0xE0 | code >> 12);
    out += char(0x80 | (code >> 6 & 0x3F));
    out += char(0x80 | (code & 0x3F));
  } else {
    out += char(0xF0 | code >> 18);
    out += char(0x80 | (code >> 12 & 0x3F));
    out += char(0x80 | (code >> 6 & 0x3F));
    out += char(0x80 | (code & 0x3F));
  }
}
}  // namespace

std::vector<std::uint8_t> TextSampleWriter::Description(const Style& style) {
  AtomWriter out;
  out.PutBig(0, 4);  // size, set below
  out.PutBig(Tag("text"), 4);
  out.PutBig(0, 6);
  out.PutBig(0, 2);  // data reference index: the toolbox names the file
  out.PutBig(std::uint32_t(style.displayFlags), 4);
  out.PutBig(std::uint32_t(style.justification), 4);
  PutColor(out, style.background);
  for (std::int16_t edge : {style.box.top, style.box.left, style.box.bottom, style.box.right})
    out.PutBig(std::uint16_t(edge), 2);
  out.PutBig(0, 8);  // start character, height and ascent of the default style
  out.PutBig(std::uint16_t(style.fontNumber), 2);
  out.PutBig(style.face, 1);
  out.PutBig(0, 1);
  out.PutBig(std::uint16_t(style.fontSize), 2);
  PutColor(out, style.foreground);
  out.PutBig(0, 1);  // no font name: the number says it
  std::vector<std::uint8_t> bytes = out.Bytes();
  const std::uint32_t size = std::uint32_t(bytes.size());
  for (int i = 0; i < 4; ++i) bytes[std::size_t(i)] = std::uint8_t(size >> (24 - 8 * i));
  return bytes;
}

std::vector<std::uint8_t> TextSampleWriter::Sample(const std::uint8_t* text, std::size_t size, bool unicode) {
  std::string stored(reinterpret_cast<const char*>(text), size);
  if (size >= 2 && text[0] == 0xFE && text[1] == 0xFF) stored = Utf8FromUtf16(text + 2, size - 2, true);
  if (size >= 2 && text[0] == 0xFF && text[1] == 0xFE) stored = Utf8FromUtf16(text + 2, size - 2, false);
  stored.resize(std::min(stored.size(), kMaxText));
  AtomWriter out;
  out.PutBig(stored.size(), 2);
  out.PutBytes(std::span(reinterpret_cast<const std::uint8_t*>(stored.data()), stored.size()));
  if (unicode) {
    out.PutHeader(Tag("encd"), 12);
    out.PutBig(0x100, 4);
  }
  return out.Bytes();
}

std::string TextSampleWriter::Utf8FromUtf16(const std::uint8_t* text, std::size_t size, bool bigEndian) {
  std::string out;
  const auto unit = [&](std::size_t i) {
    return bigEndian ? std::uint32_t(text[i] << 8 | text[i + 1]) : std::uint32_t(text[i + 1] << 8 | text[i]);
  };
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    std::uint32_t code = unit(i);
    if (code == 0) break;  // the terminator some callers count
    const bool high = code >= 0xD800 && code < 0xDC00;
    if (high && i + 3 < size && unit(i + 2) >= 0xDC00 && unit(i + 2) < 0xE000) {
      code = 0x10000 + ((code - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
      i += 2;
    } else if (code >= 0xD800 && code < 0xE000) {
      code = 0xFFFD;  // a lone surrogate
    }
    PutUtf8(out, code);
  }
  return out;
}
