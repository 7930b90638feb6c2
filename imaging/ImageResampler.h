#pragma once
#include "imaging/ImageBitmap.h"

// Scales 24- and 32-bit images with FreeImage's filters (box, bicubic,
// bilinear, B-spline, Catmull-Rom, Lanczos 3) in two passes of whole-number
// arithmetic, the shorter pass first: the one resample of a slide, about
// four times quicker than FreeImage's own. Channels, alpha included, are
// scaled each on its own, as FreeImage does.
class ImageResampler {
 public:
  explicit ImageResampler(int filter) : filter_(filter) {}

  static bool Takes(FIBITMAP* dib);
  // A new image of the size, or null for an image it does not take, a size
  // below 1 or an unknown filter.
  FiBitmap Resample(FIBITMAP* dib, int width, int height) const;

 private:
  int filter_;
};
