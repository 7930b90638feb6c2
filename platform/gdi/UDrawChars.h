#pragma once
#include <cstdint>

#include "platform/gdi/GdiDefs.h"

// Text drawing on a device context, optionally in a font of its own that is
// selected for the drawer's lifetime.
class UDrawChars {
 public:
  explicit UDrawChars(HDC dc, HFONT font = nullptr);
  ~UDrawChars();
  UDrawChars(const UDrawChars&) = delete;
  UDrawChars& operator=(const UDrawChars&) = delete;

  // Windows DrawText: the text height; with DT_CALCRECT only measures.
  int DrawTextA(const char* text, RECT& rc, std::uint32_t flags);

 private:
  HDC dc_;
  HFONT previous_ = nullptr;
  bool selected_ = false;
};
