#pragma once
#include <string>

#include "imaging/ImageBitmap.h"

// Decodes a colour JPEG reduced by the decoder's DCT scaling (1/2, 1/4 or
// 1/8: the most that leaves its longer side at least `keep` pixels) straight
// into a 24-bit bitmap, with the quick IDCT and plain chroma upsampling that
// FreeImage's own load uses, and without its copy of every row. Null for
// what it leaves to FreeImage: grey and CMYK pictures, and any file the
// decoder warns about, which FreeImage decodes as far as it can.
class JpegReducer {
 public:
  static FiBitmap Decode(const std::string& bytes, int keep);
};
