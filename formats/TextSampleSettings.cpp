#include "formats/TextSampleSettings.h"

#include <cstdlib>
#include <cstring>

namespace {
StdStringList Numbers(const std::string& value) {
  StdStringList pieces;
  pieces.SplitAndAppend(value.c_str(), " \t,;", nullptr, StdStringList::kTrim | StdStringList::kSkipEmpty);
  return pieces;
}

std::int16_t Low16(long n) { return std::int16_t(std::uint16_t(n)); }

std::int16_t Low16(const UString& text) { return Low16(std::atol(text.c_str())); }

// The setting keys and which field each one sets.
enum class Field {
  FontNumber, FontSize, TextFace, TextColor, BackColor, Justification, TextBox,
  DisplayFlags, ScrollDelay, HiliteStart, HiliteEnd, HiliteColor, VerticalJust, HorizontalJust, Font
};
struct SettingKey {
  const char* name;
  Field field;
};
constexpr SettingKey kKeys[] = {
    {"fontnumber", Field::FontNumber},       {"fontsize", Field::FontSize},
    {"textface", Field::TextFace},           {"rgbtextcolor", Field::TextColor},
    {"rgbbackcolor", Field::BackColor},      {"textjustification", Field::Justification},
    {"textbox", Field::TextBox},             {"displayflags", Field::DisplayFlags},
    {"scrolldelay", Field::ScrollDelay},     {"hilitestart", Field::HiliteStart},
    {"hiliteend", Field::HiliteEnd},         {"rgbhilitecolor", Field::HiliteColor},
    {"verticaljust", Field::VerticalJust},   {"horizontaljust", Field::HorizontalJust},
    {"font", Field::Font},
};
}  // namespace

bool ParseRGBColor(RGBColor& out, const std::string& value) {
  const StdStringList pieces = Numbers(value);
  out = RGBColor{};
  if (pieces.size() < 3) return false;
  auto wide = [&](int i) { return std::uint16_t(std::uint64_t(std::atol(pieces[i].c_str())) * 257); };
  out = RGBColor{wide(0), wide(1), wide(2)};
  return true;
}

bool ParseQDRect(QDRect& out, const std::string& value) {
  const StdStringList pieces = Numbers(value);
  out = QDRect{};
  if (pieces.size() < 4) return false;
  out = QDRect{Low16(pieces[1]), Low16(pieces[0]), Low16(pieces[3]), Low16(pieces[2])};
  return true;
}

TextSampleSettings::TextSampleSettings(const TextSampleSettings& other) { CopyFrom(other); }

TextSampleSettings& TextSampleSettings::operator=(const TextSampleSettings& other) {
  if (this != &other) CopyFrom(other);
  return *this;
}

// The colour references point into the object itself, so a copy points into the copy.
void TextSampleSettings::CopyFrom(const TextSampleSettings& other) {
  textColor = other.textColor;
  backColor = other.backColor;
  hiliteColor = other.hiliteColor;
  fontNumber = other.fontNumber;
  fontSize = other.fontSize;
  textFace = other.textFace;
  textColorRef = other.textColorRef ? &textColor : nullptr;
  backColorRef = other.backColorRef ? &backColor : nullptr;
  textJustification = other.textJustification;
  textBox = other.textBox;
  displayFlags = other.displayFlags;
  scrollDelay = other.scrollDelay;
  hiliteStart = other.hiliteStart;
  hiliteEnd = other.hiliteEnd;
  hiliteColorRef = other.hiliteColorRef ? &hiliteColor : nullptr;
  verticalJust = other.verticalJust;
  horizontalJust = other.horizontalJust;
  fonts = other.fonts;
}

bool TextSampleSettings::Set(const std::string& key, const std::string& value) {
  const SettingKey* found = nullptr;
  for (const SettingKey& k : kKeys)
    if (!found && icompare(key, k.name) == 0) found = &k;
  if (!found) return false;
  const long n = std::atol(value.c_str());
  switch (found->field) {
    case Field::FontNumber: fontNumber = Low16(n); break;
    case Field::FontSize: fontSize = Low16(n); break;
    case Field::TextFace: textFace = std::uint8_t(n); break;
    case Field::TextColor:
      ParseRGBColor(textColor, value);
      textColorRef = &textColor;
      break;
    case Field::BackColor:
      ParseRGBColor(backColor, value);
      backColorRef = &backColor;
      break;
    case Field::Justification: textJustification = Low16(n); break;
    case Field::TextBox: ParseQDRect(textBox, value); break;
    case Field::DisplayFlags: displayFlags = Low16(n); break;
    case Field::ScrollDelay: scrollDelay = Low16(n); break;
    case Field::HiliteStart: hiliteStart = Low16(n); break;
    case Field::HiliteEnd: hiliteEnd = Low16(n); break;
    case Field::HiliteColor:
      ParseRGBColor(hiliteColor, value);
      hiliteColorRef = &hiliteColor;
      break;
    case Field::VerticalJust: verticalJust = Low16(n); break;
    case Field::HorizontalJust: horizontalJust = Low16(n); break;
    case Field::Font: AddFont(value); break;
  }
  return true;
}

bool TextSampleSettings::ParseKey(const char* prefix, const std::string& key, const std::string& value) {
  if (!prefix || !*prefix) return false;
  const std::size_t n = std::strlen(prefix);
  if (key.size() < n || icompare(key, 0, n, prefix) != 0) return false;
  return Set(key.substr(n), value);
}

void TextSampleSettings::SetTextBox(std::int16_t left, std::int16_t top, std::int16_t right, std::int16_t bottom) {
  textBox = QDRect{top, left, bottom, right};
}
