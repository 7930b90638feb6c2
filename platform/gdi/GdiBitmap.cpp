#include "platform/gdi/GdiBitmap.h"

#include <algorithm>

namespace {
int DibPitch(int width, int bitsPerPixel) { return (width * bitsPerPixel + 31) / 32 * 4; }

bool SupportedDepth(int bitsPerPixel) { return bitsPerPixel == 24 || bitsPerPixel == 32; }

std::uint32_t* ColourRow(cairo_surface_t* s, int y) {
  return reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s));
}

std::uint8_t* AlphaRow(cairo_surface_t* s, int y) {
  return cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s);
}
}  // namespace

GdiBitmap::GdiBitmap(int width, int height, int bitsPerPixel)
    : width_(width),
      height_(height),
      bpp_(bitsPerPixel),
      colour_(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height), &cairo_surface_destroy),
      alpha_(bitsPerPixel == 32 ? cairo_image_surface_create(CAIRO_FORMAT_A8, width, height) : nullptr,
             &cairo_surface_destroy) {}

bool GdiBitmap::Ok() const {
  if (cairo_surface_status(colour_.get()) != CAIRO_STATUS_SUCCESS) return false;
  return !alpha_ || cairo_surface_status(alpha_.get()) == CAIRO_STATUS_SUCCESS;
}

void GdiBitmap::ReadRows(const std::uint8_t* bits, int bitsPerPixel) {
  const int bytes = bitsPerPixel / 8, pitch = DibPitch(width_, bitsPerPixel);
  cairo_surface_flush(colour_.get());
  if (alpha_) cairo_surface_flush(alpha_.get());
  for (int y = 0; y < height_; ++y) {
    const std::uint8_t* in = bits + std::size_t(height_ - 1 - y) * pitch;
    std::uint32_t* out = ColourRow(colour_.get(), y);
    std::uint8_t* a = alpha_ ? AlphaRow(alpha_.get(), y) : nullptr;
    for (int x = 0; x < width_; ++x, in += bytes) {
      out[x] = std::uint32_t(in[2]) << 16 | std::uint32_t(in[1]) << 8 | in[0];
      if (a) a[x] = bytes == 4 ? in[3] : 0xFF;
    }
  }
  cairo_surface_mark_dirty(colour_.get());
  if (alpha_) cairo_surface_mark_dirty(alpha_.get());
}

void GdiBitmap::WriteRows(std::uint8_t* bits, int bitsPerPixel, int firstRow, int rows) const {
  const int bytes = bitsPerPixel / 8, pitch = DibPitch(width_, bitsPerPixel);
  cairo_surface_flush(colour_.get());
  if (alpha_) cairo_surface_flush(alpha_.get());
  for (int r = 0; r < rows; ++r) {
    const int y = height_ - 1 - (firstRow + r);
    std::uint8_t* out = bits + std::size_t(r) * pitch;
    const std::uint32_t* in = ColourRow(colour_.get(), y);
    const std::uint8_t* a = alpha_ ? AlphaRow(alpha_.get(), y) : nullptr;
    for (int x = 0; x < width_; ++x, out += bytes) {
      out[0] = std::uint8_t(in[x]);
      out[1] = std::uint8_t(in[x] >> 8);
      out[2] = std::uint8_t(in[x] >> 16);
      if (bytes == 4) out[3] = a ? a[x] : 0xFF;
    }
  }
}

HBITMAP CreateDIBSectionBmp(int bitsPerPixel, int width, int height, COLORREF fill) {
  if (!SupportedDepth(bitsPerPixel) || width <= 0 || height <= 0) return nullptr;
  auto bitmap = std::make_unique<GdiBitmap>(width, height, bitsPerPixel);
  if (!bitmap->Ok()) return nullptr;
  cairo_t* cr = cairo_create(bitmap->Colour());
  cairo_set_source_rgb(cr, (fill & 0xFF) / 255.0, (fill >> 8 & 0xFF) / 255.0, (fill >> 16 & 0xFF) / 255.0);
  cairo_paint(cr);
  cairo_destroy(cr);
  return bitmap.release();  // a new section is fully transparent

}

HBITMAP CreateDIBitmap(const BITMAPINFOHEADER* header, const void* bits, const BITMAPINFO*) {
  if (!header || !bits || !SupportedDepth(header->biBitCount)) return nullptr;
  const int height = header->biHeight < 0 ? -header->biHeight : header->biHeight;
  if (header->biWidth <= 0 || height == 0) return nullptr;
  auto bitmap = std::make_unique<GdiBitmap>(header->biWidth, height, header->biBitCount);
  if (!bitmap->Ok()) return nullptr;
  bitmap->ReadRows(static_cast<const std::uint8_t*>(bits), header->biBitCount);
  return bitmap.release();
}

int GetDIBits(HBITMAP bitmap, unsigned firstRow, unsigned rows, void* bits, const BITMAPINFO* info) {
  if (!bitmap || !bits || !info || !SupportedDepth(info->bmiHeader.biBitCount)) return 0;
  if (info->bmiHeader.biWidth != bitmap->Width() || firstRow >= unsigned(bitmap->Height())) return 0;
  const int count = int(std::min<unsigned>(rows, unsigned(bitmap->Height()) - firstRow));
  bitmap->WriteRows(static_cast<std::uint8_t*>(bits), info->bmiHeader.biBitCount, int(firstRow), count);
  return count;
}

int GetObjectA(HBITMAP bitmap, int size, BITMAP* out) {
  if (!bitmap || !out || size < int(sizeof(BITMAP))) return 0;
  *out = BITMAP{};
  out->bmWidth = bitmap->Width();
  out->bmHeight = bitmap->Height();
  out->bmWidthBytes = DibPitch(bitmap->Width(), bitmap->BitsPerPixel());
  out->bmBitsPixel = std::uint16_t(bitmap->BitsPerPixel());
  return int(sizeof(BITMAP));
}

bool DeleteObject(HBITMAP bitmap) {
  delete bitmap;
  return bitmap != nullptr;
}
