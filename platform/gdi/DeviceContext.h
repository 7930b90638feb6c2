#pragma once
#include <cairo.h>

#include <memory>

#include "platform/gdi/GdiDefs.h"

// A memory device context: the bitmap selected into it, the text and
// background colours, the background mode, the selected font, the viewport
// origin and the bounds of what is drawn.
class DeviceContext {
 public:
  HBITMAP Select(HBITMAP bitmap);  // the bitmap it replaces
  HBITMAP Bitmap() const { return bitmap_; }
  // Where drawing goes: the colour pixels and, for a 32-bit bitmap, the alpha;
  // null when no bitmap is selected.
  cairo_t* Colour() const { return colour_.get(); }
  cairo_t* Alpha() const { return alpha_.get(); }
  void Flush() const;

  // Drawing with bounds enabled widens the bounds by what it paints, in
  // logical coordinates, whether or not a bitmap is selected.
  void AddBounds(const RECT& painted);

  COLORREF textColor = 0x000000;
  COLORREF bkColor = 0xFFFFFF;
  int bkMode = OPAQUE;
  HFONT font = nullptr;
  POINT viewportOrigin;  // the bitmap pixel that logical (0, 0) lands on
  bool boundsEnabled = false;
  RECT bounds;  // empty until something is drawn with bounds enabled

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
bool SetViewportOrgEx(HDC dc, int x, int y, POINT* previous);
// DCB_ENABLE, DCB_DISABLE, DCB_RESET and DCB_ACCUMULATE (with `rc`) as
// Windows takes them; the state before, DCB_SET or DCB_RESET with
// DCB_ENABLE or DCB_DISABLE.
unsigned SetBoundsRect(HDC dc, const RECT* rc, unsigned flags);
// The bounds so far: DCB_SET, or DCB_RESET when nothing was drawn (and `rc`
// empty); with DCB_RESET in `flags` they are cleared after.
unsigned GetBoundsRect(HDC dc, RECT* rc, unsigned flags);
