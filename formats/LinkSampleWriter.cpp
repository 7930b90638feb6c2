#include "formats/LinkSampleWriter.h"

#include <algorithm>

#include "platform/quicktime/QtTypes.h"

namespace {
bool IsContinuationByte(char c) { return (std::uint8_t(c) & 0xC0) == 0x80; }

// The longest start of `text` of at most `limit` bytes that does not split a UTF-8 character.
std::string CutAtCharacter(const std::string& text, std::size_t limit) {
  if (text.size() <= limit) return text;
  std::size_t end = limit;
  while (end > 0 && IsContinuationByte(text[end])) --end;
  return text.substr(0, end);
}

// Timed-text offsets count characters, not bytes.
std::uint16_t CharacterCount(const std::string& text) {
  return std::uint16_t(std::count_if(text.begin(), text.end(), [](char c) { return !IsContinuationByte(c); }));
}

std::uint8_t LowByte(std::uint16_t value) { return std::uint8_t(value & 0xFF); }
}  // namespace

bool LinkSampleWriter::Look::SameStyle(const Look& other) const {
  return fontId == other.fontId && fontSize == other.fontSize && red == other.red && green == other.green &&
         blue == other.blue;
}

LinkSampleWriter::LinkSampleWriter(const TextSampleSettings& described, std::int32_t frameWidth,
                                   std::int32_t frameHeight)
    : described_(described), frameWidth_(frameWidth), frameHeight_(frameHeight) {}

LinkSampleWriter::Look LinkSampleWriter::LookOf(const TextSampleSettings& settings) const {
  Look look{.fontId = std::uint16_t(settings.fontNumber),
            .fontSize = LowByte(std::uint16_t(settings.fontSize)),
            .red = LowByte(settings.textColor.red),
            .green = LowByte(settings.textColor.green),
            .blue = LowByte(settings.textColor.blue),
            .box = settings.textBox};
  // An empty box means the lower part of the frame, clear of its edges.
  if (settings.IsTextBoxEmpty())
    look.box = QDRect{50, 0, std::int16_t(frameHeight_ - 1), std::int16_t(frameWidth_ - 10)};
  return look;
}

std::vector<std::uint8_t> LinkSampleWriter::BytesOf(const BinStorage& out) {
  return std::vector<std::uint8_t>(out.data(), out.data() + out.Length());
}

void LinkSampleWriter::AppendFontTable(BinStorage& out, const StdStringList& fonts) {
  static const StdStringList kDefaultFonts{"Serif", "Geneva"};
  const StdStringList& names = fonts.empty() ? kDefaultFonts : fonts;
  out.BeginAtom(Tag("ftab"));
  out.AppendU16(std::uint16_t(std::min<std::size_t>(names.size(), 0xFFFF)), true);
  std::uint16_t id = 1;
  for (const auto& name : names) {
    if (id == 0) break;  // past 65535 fonts
    out.AppendU16(id++, true);
    out.AppendPString(CutAtCharacter(name, 255), false, false);
  }
  out.EndAtom(Tag("ftab"));
}

void LinkSampleWriter::AppendStyleRecord(BinStorage& out, const Look& look, std::uint16_t endChar) {
  out.AppendU16(0, true);
  out.AppendU16(endChar, true);
  out.AppendU16(look.fontId, true);
  out.AppendByte(0);  // style flags
  out.AppendByte(look.fontSize);
  for (std::uint8_t component : {look.red, look.green, look.blue, std::uint8_t(0xFF)}) out.AppendByte(component);
}

void LinkSampleWriter::AppendBox(BinStorage& out, const QDRect& box) {
  for (std::int16_t edge : {box.top, box.left, box.bottom, box.right}) out.AppendU16(std::uint16_t(edge), true);
}

std::vector<std::uint8_t> LinkSampleWriter::Description() const {
  BinStorage out;
  out.BeginAtom(Tag("tx3g"));
  out.AppendZeros(6);
  out.AppendU16(0, true);  // data reference index: the toolbox sets it
  out.AppendU32(0, true);  // display flags
  out.AppendByte(1);       // centred
  out.AppendByte(0xFF);    // at the bottom
  // A white background, fully transparent: the text lies over the slide.
  for (std::uint8_t component : {0xFF, 0xFF, 0xFF, 0x00}) out.AppendByte(component);
  const Look look = LookOf(described_);
  AppendBox(out, look.box);
  AppendStyleRecord(out, look, 0);
  AppendFontTable(out, described_.fonts);
  out.EndAtom(Tag("tx3g"));
  return BytesOf(out);
}

void LinkSampleWriter::AppendHref(BinStorage& out, const std::string& link, std::uint16_t endChar) {
  out.BeginAtom(Tag("href"));
  out.AppendU16(0, true);
  out.AppendU16(endChar, true);
  out.AppendPString(link, false, false);
  out.AppendByte(0);  // no alternative text
  out.EndAtom(Tag("href"));
}

std::vector<std::uint8_t> LinkSampleWriter::Sample(const std::string& text, const std::string& link,
                                                   const TextSampleSettings& settings) const {
  BinStorage out;
  const std::string shown = CutAtCharacter(text, kMaxTextBytes);
  const std::uint16_t characters = CharacterCount(shown);
  out.AppendU16(std::uint16_t(shown.size()), true);
  out.AppendBytes(shown.data(), shown.size());
  if (!link.empty() && LinkFits(link)) AppendHref(out, link, characters);
  if (shown.empty()) return BytesOf(out);
  const Look look = LookOf(settings), base = LookOf(described_);
  if (!look.SameStyle(base)) {
    out.BeginAtom(Tag("styl"));
    out.AppendU16(1, true);
    AppendStyleRecord(out, look, characters);
    out.EndAtom(Tag("styl"));
  }
  if (!(look.box == base.box)) {
    out.BeginAtom(Tag("tbox"));
    AppendBox(out, look.box);
    out.EndAtom(Tag("tbox"));
  }
  return BytesOf(out);
}
