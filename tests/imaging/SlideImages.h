#pragma once
#include <string>

#include "imaging/ImageBitmap.h"

// Images for the slide tests, made in memory, and the checks made on them.

// A 24-bit picture whose colour changes across and down, so that scaling and
// placement show.
FiBitmap Gradient(int width, int height);
FiBitmap Solid(int width, int height, int bitsPerPixel, COLORREF colour);
// A pixel as 0x00BBGGRR, with y counted from the top.
COLORREF PixelAt(FIBITMAP* dib, int x, int y);
unsigned AlphaAt(FIBITMAP* dib, int x, int y);
std::string SaveImage(FIBITMAP* dib, const std::string& path, FREE_IMAGE_FORMAT format = FIF_PNG);
FiBitmap LoadImage(const std::string& path);
// The rows and columns holding pixels that differ from `background`.
RECT InkBounds(FIBITMAP* dib, COLORREF background);

// Compares with tests/imaging/golden/<name>.png, allowing small differences
// of font rasterisation; with TOLVA_UPDATE_GOLDEN set, writes the golden instead.
void ExpectGolden(FIBITMAP* dib, const std::string& name);
