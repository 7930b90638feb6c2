#include "imaging/JpegReducer.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace {
struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf escape;
};

[[noreturn]] void Escape(j_common_ptr info) { std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->escape, 1); }

void EscapeOnWarning(j_common_ptr info, int level) {
  if (level < 0) Escape(info);
}

unsigned Denominator(const jpeg_decompress_struct& info, int keep) {
  const unsigned longer = std::max(info.image_width, info.image_height);
  for (unsigned d = 8; d > 1; d /= 2) {
    if ((longer + d - 1) / d >= unsigned(keep)) return d;
  }
  return 1;
}

// The resolution the file states, in the unit FreeImage keeps.
void SetDensity(const jpeg_decompress_struct& info, FIBITMAP* dib) {
  const double perMetre = info.density_unit == 1 ? 1 / 0.0254 : info.density_unit == 2 ? 100 : 0;
  if (perMetre == 0 || info.X_density == 0 || info.Y_density == 0) return;
  FreeImage_SetDotsPerMeterX(dib, unsigned(info.X_density * perMetre + 0.5));
  FreeImage_SetDotsPerMeterY(dib, unsigned(info.Y_density * perMetre + 0.5));
}

// Nothing with a destructor lives here, for the jump out of the decoder.
FIBITMAP* DecodeWith(jpeg_decompress_struct& info, ErrorManager& errors, const std::string& bytes, int keep) {
  FIBITMAP* volatile dib = nullptr;
  if (setjmp(errors.escape)) {
    if (dib) FreeImage_Unload(dib);
    return nullptr;
  }
  jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&info, TRUE);
  if (info.num_components != 3 || (info.jpeg_color_space != JCS_YCbCr && info.jpeg_color_space != JCS_RGB)) {
    return nullptr;
  }
  info.scale_num = 1;
  info.scale_denom = Denominator(info, keep);
  info.out_color_space = JCS_EXT_BGR;  // FreeImage's order in memory
  info.dct_method = JDCT_IFAST;
  info.do_fancy_upsampling = FALSE;
  jpeg_start_decompress(&info);
  dib = FreeImage_Allocate(int(info.output_width), int(info.output_height), 24, FI_RGBA_RED_MASK, FI_RGBA_GREEN_MASK,
                           FI_RGBA_BLUE_MASK);
  if (!dib) return nullptr;
  // FreeImage keeps the rows bottom-up.
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = FreeImage_GetScanLine(dib, int(info.output_height - 1 - info.output_scanline));
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  SetDensity(info, dib);
  return dib;
}
}  // namespace

FiBitmap JpegReducer::Decode(const std::string& bytes, int keep) {
  jpeg_decompress_struct info;
  ErrorManager errors;
  info.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = Escape;
  errors.base.emit_message = EscapeOnWarning;
  jpeg_create_decompress(&info);
  FiBitmap dib(DecodeWith(info, errors, bytes, keep), &FreeImage_Unload);
  jpeg_destroy_decompress(&info);
  return dib;
}
