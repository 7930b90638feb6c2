#pragma once
#include <FreeImage.h>
#include <cairo.h>

#include <memory>

#include "platform/gdi/GdiDefs.h"

// A device bitmap: the colour pixels on an image surface and, for a 32-bit
// bitmap, its alpha on a surface of its own, so that drawing (which knows
// nothing of alpha) leaves the image's transparency as it was and makes the
// drawn pixels opaque.
class GdiBitmap {
 public:
  GdiBitmap(int width, int height, int bitsPerPixel);

  bool Ok() const;
  int Width() const { return width_; }
  int Height() const { return height_; }
  int BitsPerPixel() const { return bpp_; }
  cairo_surface_t* Colour() const { return colour_.get(); }
  cairo_surface_t* Alpha() const { return alpha_.get(); }  // null unless 32-bit

  // Rows bottom-up, each padded to 4 bytes, as a device-independent bitmap holds them.
  void ReadRows(const std::uint8_t* bits, int bitsPerPixel);
  void WriteRows(std::uint8_t* bits, int bitsPerPixel, int firstRow, int rows) const;

 private:
  using Surface = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;
  int width_, height_, bpp_;
  Surface colour_, alpha_;
};

// The device bitmap operations, with the Windows arguments. Only 24-bit and
// 32-bit bitmaps are made; other depths give null.
HBITMAP CreateDIBSectionBmp(int bitsPerPixel, int width, int height, COLORREF fill);
HBITMAP CreateDIBitmap(const BITMAPINFOHEADER* header, const void* bits, const BITMAPINFO* info);
int GetDIBits(HBITMAP bitmap, unsigned firstRow, unsigned rows, void* bits, const BITMAPINFO* info);
int GetObjectA(HBITMAP bitmap, int size, BITMAP* out);
bool DeleteObject(HBITMAP bitmap);
