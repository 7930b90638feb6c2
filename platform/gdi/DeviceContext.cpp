#include "platform/gdi/DeviceContext.h"

#include <algorithm>
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

void DeviceContext::AddBounds(const RECT& painted) {
  if (!boundsEnabled || IsRectEmpty(painted)) return;
  if (IsRectEmpty(bounds)) {
    bounds = painted;
    return;
  }
  bounds = RECT{std::min(bounds.left, painted.left), std::min(bounds.top, painted.top),
                std::max(bounds.right, painted.right), std::max(bounds.bottom, painted.bottom)};
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

bool SetViewportOrgEx(HDC dc, int x, int y, POINT* previous) {
  if (!dc) return false;
  const POINT old = std::exchange(dc->viewportOrigin, POINT{x, y});
  if (previous) *previous = old;
  return true;
}

namespace {
unsigned BoundsState(const DeviceContext& dc) {
  return (IsRectEmpty(dc.bounds) ? DCB_RESET : DCB_SET) | (dc.boundsEnabled ? DCB_ENABLE : DCB_DISABLE);
}
}  // namespace

unsigned SetBoundsRect(HDC dc, const RECT* rc, unsigned flags) {
  if (!dc) return 0;
  const unsigned before = BoundsState(*dc);
  if (flags & DCB_RESET) dc->bounds = RECT{};
  if ((flags & DCB_ACCUMULATE) && rc) {
    const bool enabled = std::exchange(dc->boundsEnabled, true);
    dc->AddBounds(*rc);
    dc->boundsEnabled = enabled;
  }
  if (flags & DCB_ENABLE) dc->boundsEnabled = true;
  if (flags & DCB_DISABLE) dc->boundsEnabled = false;
  return before;
}

unsigned GetBoundsRect(HDC dc, RECT* rc, unsigned flags) {
  if (!dc || !rc) return 0;
  *rc = dc->bounds;
  const unsigned state = IsRectEmpty(dc->bounds) ? DCB_RESET : DCB_SET;
  if (flags & DCB_RESET) dc->bounds = RECT{};
  return state;
}
