#pragma once
#include <cstdint>
#include <string>

#include "platform/helper/StdStringList.h"
#include "platform/quicktime/QuickDrawTypes.h"

// "red green blue" in 0..255, widened to 16 bits; fewer than three numbers give black and false.
bool ParseRGBColor(RGBColor& out, const std::string& value);
// "left top right bottom"; fewer than four numbers give an empty rectangle and false.
bool ParseQDRect(QDRect& out, const std::string& value);

// How the text of one text-track sample looks: the fields of the toolbox's
// add-text-sample call, in its argument order. A null colour reference
// leaves that colour to the toolbox.
class TextSampleSettings {
 public:
  TextSampleSettings() = default;
  TextSampleSettings(const TextSampleSettings& other);
  TextSampleSettings& operator=(const TextSampleSettings& other);

  // One setting by its key ("fontsize", "rgbtextcolor", ...); false for any other key.
  bool Set(const std::string& key, const std::string& value);
  // A setting behind a prefix ("hreffontsize" with the prefix "href").
  bool ParseKey(const char* prefix, const std::string& key, const std::string& value);
  void AddFont(const std::string& name) { fonts.push_back(UString(name)); }
  void SetFontNumber(std::int16_t n) { fontNumber = n; }
  void SetFontSize(std::int16_t n) { fontSize = n; }
  void SetTextBox(std::int16_t left, std::int16_t top, std::int16_t right, std::int16_t bottom);
  bool IsTextBoxEmpty() const { return textBox.right <= textBox.left || textBox.bottom <= textBox.top; }

  RGBColor textColor;
  RGBColor backColor;
  RGBColor hiliteColor;
  std::int16_t fontNumber = 0;
  std::int16_t fontSize = 0;
  std::uint8_t textFace = 0;  // QuickDraw style bits
  const RGBColor* textColorRef = nullptr;
  const RGBColor* backColorRef = &backColor;
  std::int16_t textJustification = 1;
  QDRect textBox;
  std::int32_t displayFlags = 4;
  std::int32_t scrollDelay = 0;
  std::int16_t hiliteStart = 0;
  std::int16_t hiliteEnd = 0;
  const RGBColor* hiliteColorRef = nullptr;
  std::int16_t verticalJust = 0;
  std::int16_t horizontalJust = 0;
  StdStringList fonts;

 private:
  void CopyFrom(const TextSampleSettings& other);
};
