#include "platform/gdi/DeviceContext.h"

#include <utility>

#include "platform/gdi/GdiBitmap.h"

HBITMAP DeviceContext::Select(HBITMAP bitmap) {
  Flush();
  colour_.reset(bitmap ? cairo_create(bitmap->Colour()) : nullptr);
  alpha_.reset(bitmap && bitmap->Alpha() ? cairo_create(bitmap->Alpha()) : nullptr);
  return std::exchange(bitmap_, bitmap);
}

void DeviceContext::Flush() const {
  if (!bitmap_) return;
  cairo_surface_flush(bitmap_->Colour());
  if (bitmap_->Alpha()) cairo_surface_flush(bitmap_->Alpha());
}

HDC CreateCompatibleDC(HDC) { return new DeviceContext; }

bool DeleteDC(HDC dc) {
  delete dc;
  return dc != nullptr;
}

HBITMAP SelectObject(HDC dc, HBITMAP bitmap) { return dc ? dc->Select(bitmap) : nullptr; }

HFONT SelectFont(HDC dc, HFONT font) { return dc ? std::exchange(dc->font, font) : nullptr; }

COLORREF SetTextColor(HDC dc, COLORREF colour) { return dc ? std::exchange(dc->textColor, colour) : 0; }

COLORREF SetBkColor(HDC dc, COLORREF colour) { return dc ? std::exchange(dc->bkColor, colour) : 0; }

int SetBkMode(HDC dc, int mode) { return dc ? std::exchange(dc->bkMode, mode) : 0; }
