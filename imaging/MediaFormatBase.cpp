#include "imaging/MediaFormatBase.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "imaging/MediaFormatValues.h"
#include "platform/helper/ErrorPrintf.h"

namespace {
std::int32_t Number(const std::string& value) { return value.empty() ? 0 : std::int32_t(std::atol(value.c_str())); }
}  // namespace

const MediaFormatBase::Directive MediaFormatBase::kDirectives[] = {
    {"formatdefault", &MediaFormatBase::SetFormatDefault},
    {"formatpush", &MediaFormatBase::SetFormatPush},
    {"formatpop", &MediaFormatBase::SetFormatPop},
    {"font", &MediaFormatBase::SetFont},
    {"fontsize", &MediaFormatBase::SetFontSize},
    {"textcolor", &MediaFormatBase::SetTextColor},
    {"textbackground", &MediaFormatBase::SetTextBackground},
    {"textposition", &MediaFormatBase::SetTextPosition},
    {"textbox", &MediaFormatBase::SetTextBox},
    {"textjustification", &MediaFormatBase::SetTextJustification},
    {"formatflags", &MediaFormatBase::SetFormatFlags},
    {"textflags", &MediaFormatBase::SetTextFlags},
    {"framerect", &MediaFormatBase::SetFrameRect},
};

bool MediaFormatBase::Set(const std::string& name, const std::string& value) {
  for (const Directive& d : kDirectives) {
    if (icompare(name, d.name) != 0) continue;
    (this->*d.apply)(value);
    return true;
  }
  return false;
}

bool MediaFormatBase::ParseKey(const char* prefix, const std::string& key, const std::string& value) {
  if (!prefix || !*prefix) return false;
  const std::size_t n = std::strlen(prefix);
  if (key.size() < n || icompare(key, 0, n, prefix) != 0) return false;
  return Set(key.substr(n), value);
}

// The text box survives: it says where the titles go, not how they look.
void MediaFormatBase::SetFormatDefault(const std::string&) {
  face.clear();
  fontSize = kDefaultFontSize;
  textColor = kWhite;
  backColor = kNoBackground;
  textPosition = 0;
  textJustification = 0;
  formatFlags = 0;
  textFlags = 0;
  frameRect = 0;
}

void MediaFormatBase::SetFontSize(const std::string& value) {
  fontSize = ParseClampedInt(value, 4, 512, kDefaultFontSize);
}

void MediaFormatBase::SetTextColor(const std::string& value) {
  if (value.empty()) textColor = kWhite;
  else ParseColorValue(textColor, value);
}

void MediaFormatBase::SetTextBackground(const std::string& value) {
  if (value.empty() || std::atol(value.c_str()) < 0) backColor = kNoBackground;
  else ParseColorValue(backColor, value);
}

void MediaFormatBase::SetTextPosition(const std::string& value) {
  textBox = RECT{};
  switch (value.empty() ? '\0' : std::tolower(static_cast<unsigned char>(value[0]))) {
    case '1': textPosition = 4; break;
    case '2': textPosition = 5; break;
    case '3': textPosition = 6; break;
    case 'm': textPosition = 1; break;
    case 'u': textPosition = 2; break;
    case 'w': textPosition = 3; break;
    default: textPosition = 0; break;
  }
}

void MediaFormatBase::SetTextBox(const std::string& value) {
  if (value.empty()) {
    textBox = RECT{};
    return;
  }
  RECT parsed;
  if (ParseRectValue(parsed, value)) textBox = parsed;
  else ErrorPrintf("invalid text rectangle: %s\n", value.c_str());
}

void MediaFormatBase::SetTextJustification(const std::string& value) { textJustification = Number(value); }

void MediaFormatBase::SetFormatFlags(const std::string& value) {
  formatFlags = value.empty() ? 0 : ParseFormatFlags(value);
}

void MediaFormatBase::SetTextFlags(const std::string& value) { textFlags = Number(value); }

void MediaFormatBase::SetFrameRect(const std::string& value) { frameRect = Number(value); }
