#pragma once
#include <cairo.h>

#include <memory>

#include "platform/gdi/GdiDefs.h"

// A memory device context: the bitmap selected into it, the text and
// background colours, the background mode and the selected font.
class DeviceContext {
 public:
  HBITMAP Select(HBITMAP bitmap);  // the bitmap it replaces
  HBITMAP Bitmap() const { return bitmap_; }
  // Where drawing goes: the colour pixels and, for a 32-bit bitmap, the alpha;
  // null when no bitmap is selected.
  cairo_t* Colour() const { return colour_.get(); }
  cairo_t* Alpha() const { return alpha_.get(); }
  void Flush() const;

  COLORREF textColor = 0x000000;
  COLORREF bkColor = 0xFFFFFF;
  int bkMode = OPAQUE;
  HFONT font = nullptr;

 private:
  using Context = std::unique_ptr<cairo_t, decltype(&cairo_destroy)>;
  HBITMAP bitmap_ = nullptr;
  Context colour_{nullptr, &cairo_destroy};
  Context alpha_{nullptr, &cairo_destroy};
};

HDC CreateCompatibleDC(HDC like);
bool DeleteDC(HDC dc);
HBITMAP SelectObject(HDC dc, HBITMAP bitmap);
HFONT SelectFont(HDC dc, HFONT font);
COLORREF SetTextColor(HDC dc, COLORREF colour);
COLORREF SetBkColor(HDC dc, COLORREF colour);
int SetBkMode(HDC dc, int mode);
