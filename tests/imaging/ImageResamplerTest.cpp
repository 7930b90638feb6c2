// The slide resampler against FreeImage's own, filter by filter, down and
// up, with and without alpha: the same pictures to within rounding.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "SlideImages.h"
#include "imaging/ImageResampler.h"

namespace {
// A gradient with a fine pattern over part of it and, at 32 bits, an alpha ramp.
FiBitmap Picture(int width, int height, int bpp) {
  FiBitmap base = Gradient(width, height);
  FiBitmap dib(bpp == 32 ? FreeImage_ConvertTo32Bits(base.get()) : FreeImage_Clone(base.get()), &FreeImage_Unload);
  const int bytes = bpp / 8;
  for (int y = 0; y < height; ++y) {
    BYTE* row = FreeImage_GetScanLine(dib.get(), y);
    for (int x = 0; x < width; ++x) {
      if (x < width / 3 && (x / 2 + y / 3) % 2) row[x * bytes + FI_RGBA_GREEN] = 250;
      if (bpp == 32) row[x * bytes + FI_RGBA_ALPHA] = BYTE(255 * y / std::max(1, height - 1));
    }
  }
  return dib;
}

double AlphaPsnr(FIBITMAP* a, FIBITMAP* b) {
  double squares = 0;
  const int w = int(FreeImage_GetWidth(a)), h = int(FreeImage_GetHeight(a));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const double d = double(AlphaAt(a, x, y)) - double(AlphaAt(b, x, y));
      squares += d * d;
    }
  return squares == 0 ? 1000 : 10 * std::log10(255.0 * 255.0 * w * h / squares);
}
}  // namespace

TEST(ImageResampler, ScalesLikeFreeImageWithEveryFilter) {
  struct Size {
    int fromW, fromH, toW, toH;
  };
  const Size sizes[] = {{803, 601, 360, 240}, {640, 360, 97, 41}, {90, 60, 360, 241}, {300, 200, 300, 77},
                        {7, 5, 1, 1}, {3, 41, 3, 17}, {41, 2, 17, 1}};
  for (const int filter : {FILTER_BOX, FILTER_BICUBIC, FILTER_BILINEAR, FILTER_BSPLINE, FILTER_CATMULLROM,
                           FILTER_LANCZOS3}) {
    for (const Size& s : sizes) {
      for (const int bpp : {24, 32}) {
        SCOPED_TRACE(std::to_string(filter) + ": " + std::to_string(s.fromW) + " to " + std::to_string(s.toW) + " at " +
                     std::to_string(bpp));
        const FiBitmap picture = Picture(s.fromW, s.fromH, bpp);
        const FiBitmap ours = ImageResampler(filter).Resample(picture.get(), s.toW, s.toH);
        const FiBitmap theirs(FreeImage_Rescale(picture.get(), s.toW, s.toH, FREE_IMAGE_FILTER(filter)),
                              &FreeImage_Unload);
        ASSERT_TRUE(ours);
        EXPECT_EQ(FreeImage_GetBPP(ours.get()), unsigned(bpp));
        EXPECT_GT(Psnr(ours.get(), theirs.get()), 38);
        if (bpp == 32) {
          EXPECT_GT(AlphaPsnr(ours.get(), theirs.get()), 38);
        }
      }
    }
  }
  const FiBitmap grey(FreeImage_ConvertToGreyscale(Gradient(10, 10).get()), &FreeImage_Unload);
  EXPECT_FALSE(ImageResampler::Takes(grey.get())) << "left to FreeImage";
  EXPECT_FALSE(ImageResampler(FILTER_BICUBIC).Resample(grey.get(), 5, 5));
  EXPECT_FALSE(ImageResampler(99).Resample(Gradient(10, 10).get(), 5, 5));
  EXPECT_FALSE(ImageResampler(FILTER_BOX).Resample(Gradient(10, 10).get(), 0, 5));
}

// Narrow rows end at every place the wide steps and the copied tail can
// leave them; every output pixel must still see all its taps.
TEST(ImageResampler, EveryRowWidthEndsRight) {
  for (int width = 1; width <= 40; ++width) {
    for (const int bpp : {24, 32}) {
      SCOPED_TRACE(std::to_string(width) + " at " + std::to_string(bpp));
      const FiBitmap picture = Picture(width, 9, bpp);
      for (const int toW : {std::max(1, width * 2 / 3), width + 3}) {
        const FiBitmap ours = ImageResampler(FILTER_CATMULLROM).Resample(picture.get(), toW, 4);
        const FiBitmap theirs(FreeImage_Rescale(picture.get(), toW, 4, FILTER_CATMULLROM), &FreeImage_Unload);
        ASSERT_TRUE(ours);
        EXPECT_GT(Psnr(ours.get(), theirs.get()), 38) << "to " << toW;
      }
    }
  }
}
