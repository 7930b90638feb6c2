#pragma once
#include <string>

#include "imaging/ImageBitmap.h"
#include "imaging/SlidePreparer.h"

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

// How many pixels differ by more than `threshold` in some colour channel.
int CountDiffering(FIBITMAP* a, FIBITMAP* b, int threshold);
// Peak signal-to-noise ratio of the colour channels of two images of one
// size, in decibels (1000 for identical images).
double Psnr(FIBITMAP* a, FIBITMAP* b);

// The slide that `settings` make of `input` on a frame of `colour`, read back
// and its file removed; the test fails when no new slide was made.
FiBitmap SlideOf(const std::string& input, int width, int height, COLORREF colour, const TitleList* titles,
                 SlideSettings settings);

// Compares with tests/imaging/golden/<name>.png, allowing small differences
// of font rasterisation; with TOLVA_UPDATE_GOLDEN set, writes the golden instead.
void ExpectGolden(FIBITMAP* dib, const std::string& name);
