#include "SlideImages.h"

#include <cmath>
#include <cstdlib>
#include <algorithm>

#include <gtest/gtest.h>

#include "platform/helper/FileSystem.h"

FiBitmap Gradient(int width, int height) {
  FiBitmap dib(FreeImage_Allocate(width, height, 24, 0, 0, 0), &FreeImage_Unload);
  for (int y = 0; y < height; ++y) {
    BYTE* p = FreeImage_GetScanLine(dib.get(), height - 1 - y);
    for (int x = 0; x < width; ++x, p += 3) {
      p[FI_RGBA_RED] = BYTE(40 + 160 * x / std::max(1, width - 1));
      p[FI_RGBA_GREEN] = BYTE(60 + 120 * y / std::max(1, height - 1));
      p[FI_RGBA_BLUE] = BYTE(150);
    }
  }
  return dib;
}

FiBitmap Solid(int width, int height, int bitsPerPixel, COLORREF colour) {
  FiBitmap dib(FreeImage_Allocate(width, height, bitsPerPixel, 0, 0, 0), &FreeImage_Unload);
  RGBQUAD c{BYTE(colour >> 16), BYTE(colour >> 8), BYTE(colour), 0xFF};
  FreeImage_FillBackground(dib.get(), &c, 0);
  return dib;
}

COLORREF PixelAt(FIBITMAP* dib, int x, int y) {
  RGBQUAD q{};
  FreeImage_GetPixelColor(dib, unsigned(x), FreeImage_GetHeight(dib) - 1 - unsigned(y), &q);
  return COLORREF(q.rgbRed) | COLORREF(q.rgbGreen) << 8 | COLORREF(q.rgbBlue) << 16;
}

unsigned AlphaAt(FIBITMAP* dib, int x, int y) {
  const BYTE* row = FreeImage_GetScanLine(dib, int(FreeImage_GetHeight(dib)) - 1 - y);
  return row[x * 4 + FI_RGBA_ALPHA];
}

std::string SaveImage(FIBITMAP* dib, const std::string& path, FREE_IMAGE_FORMAT format) {
  EXPECT_TRUE(FreeImage_Save(format, dib, path.c_str(), 0)) << path;
  return path;
}

FiBitmap LoadImage(const std::string& path) {
  return FiBitmap(FreeImage_Load(FreeImage_GetFileType(path.c_str(), 0), path.c_str(), 0), &FreeImage_Unload);
}

RECT InkBounds(FIBITMAP* dib, COLORREF background) {
  const int w = int(FreeImage_GetWidth(dib)), h = int(FreeImage_GetHeight(dib));
  RECT r{w, h, -1, -1};
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      if (PixelAt(dib, x, y) == background) continue;
      r.left = std::min(r.left, x);
      r.top = std::min(r.top, y);
      r.right = std::max(r.right, x);
      r.bottom = std::max(r.bottom, y);
    }
  }
  return r;
}

namespace {
int ChannelDifference(COLORREF a, COLORREF b) {
  int most = 0;
  for (int shift = 0; shift < 24; shift += 8) most = std::max(most, std::abs(int(a >> shift & 0xFF) - int(b >> shift & 0xFF)));
  return most;
}
}  // namespace

int CountDiffering(FIBITMAP* a, FIBITMAP* b, int threshold) {
  const int w = int(std::min(FreeImage_GetWidth(a), FreeImage_GetWidth(b)));
  const int h = int(std::min(FreeImage_GetHeight(a), FreeImage_GetHeight(b)));
  int off = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) off += ChannelDifference(PixelAt(a, x, y), PixelAt(b, x, y)) > threshold;
  return off;
}

double Psnr(FIBITMAP* a, FIBITMAP* b) {
  EXPECT_EQ(FreeImage_GetWidth(a), FreeImage_GetWidth(b));
  EXPECT_EQ(FreeImage_GetHeight(a), FreeImage_GetHeight(b));
  const int w = int(std::min(FreeImage_GetWidth(a), FreeImage_GetWidth(b)));
  const int h = int(std::min(FreeImage_GetHeight(a), FreeImage_GetHeight(b)));
  double squares = 0;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const COLORREF p = PixelAt(a, x, y), q = PixelAt(b, x, y);
      for (int shift = 0; shift < 24; shift += 8) {
        const double d = double(p >> shift & 0xFF) - double(q >> shift & 0xFF);
        squares += d * d;
      }
    }
  }
  if (squares == 0 || w == 0 || h == 0) return 1000;
  return 10 * std::log10(255.0 * 255.0 * 3.0 * w * h / squares);
}

FiBitmap SlideOf(const std::string& input, int width, int height, COLORREF colour, const TitleList* titles,
                 SlideSettings settings) {
  UString file = input;
  bool replaced = false;
  EXPECT_TRUE(SlidePreparer(std::move(settings)).PrepImage(width, height, 0, 0, colour, file, FIF_PNG, replaced, 1, 1,
                                                           titles));
  EXPECT_TRUE(replaced);
  FiBitmap slide = LoadImage(file);
  DeleteFileA(file);
  return slide;
}

void ExpectGolden(FIBITMAP* dib, const std::string& name) {
  const std::string path = std::string(TOLVA_SOURCE_DIR) + "/tests/imaging/golden/" + name + ".png";
  if (std::getenv("TOLVA_UPDATE_GOLDEN")) {
    SaveImage(dib, path);
    return;
  }
  const FiBitmap golden = LoadImage(path);
  ASSERT_TRUE(golden) << "no golden image " << path;
  ASSERT_EQ(FreeImage_GetWidth(golden.get()), FreeImage_GetWidth(dib));
  ASSERT_EQ(FreeImage_GetHeight(golden.get()), FreeImage_GetHeight(dib));
  const int w = int(FreeImage_GetWidth(dib)), h = int(FreeImage_GetHeight(dib));
  const int off = CountDiffering(dib, golden.get(), 48);
  // Glyph edges may move by a pixel between font builds; whole words may not.
  EXPECT_LE(off, w * h / 200) << name << ": " << off << " pixels differ";
}
