#pragma once
#include <cstdint>
#include <string>

#include "platform/helper/UString.h"
#include "platform/helper/Win32Defs.h"

// One title format: font, size, colours, where the text goes and how
// DrawText lays it out. Directives ("fontsize", "textcolor", ...) change it.
class MediaFormatBase {
 public:
  static constexpr COLORREF kNoBackground = 0xFFFFFFFF;  // transparent text background
  static constexpr std::int32_t kDefaultFontSize = 12;
  static constexpr COLORREF kWhite = 0xFFFFFF;

  MediaFormatBase() = default;
  MediaFormatBase(const MediaFormatBase&) = default;
  MediaFormatBase& operator=(const MediaFormatBase&) = default;
  virtual ~MediaFormatBase() = default;

  // Save and restore the format; a plain format keeps no history.
  virtual void Push() {}
  virtual void Pop() {}

  // Applies one directive; false when the name is no directive.
  bool Set(const std::string& name, const std::string& value);
  // A directive behind a prefix ("titlefontsize" with the prefix "title").
  bool ParseKey(const char* prefix, const std::string& key, const std::string& value);

  UString face;
  std::int32_t fontSize = kDefaultFontSize;  // pixels of the final frame
  COLORREF textColor = kWhite;
  COLORREF backColor = kNoBackground;
  std::int32_t textPosition = 0;  // 0..6, used while textBox is empty
  RECT textBox;                   // pixels of the final frame; -1/-2 edges reach the bitmap's end
  std::int32_t textJustification = 0;
  std::uint32_t formatFlags = 0;  // Win32 DrawText flags
  std::int32_t textFlags = 0;
  std::int32_t frameRect = 0;

 private:
  void SetFormatDefault(const std::string&);
  void SetFormatPush(const std::string&) { Push(); }
  void SetFormatPop(const std::string&) { Pop(); }
  void SetFont(const std::string& value) { face = value; }
  void SetFontSize(const std::string& value);
  void SetTextColor(const std::string& value);
  void SetTextBackground(const std::string& value);
  void SetTextPosition(const std::string& value);
  void SetTextBox(const std::string& value);
  void SetTextJustification(const std::string& value);
  void SetFormatFlags(const std::string& value);
  void SetTextFlags(const std::string& value);
  void SetFrameRect(const std::string& value);

  struct Directive {
    const char* name;
    void (MediaFormatBase::*apply)(const std::string& value);
  };
  static const Directive kDirectives[];
};
