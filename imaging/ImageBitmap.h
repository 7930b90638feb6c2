#pragma once
#include <FreeImage.h>

#include <cstdint>
#include <memory>
#include <string>

#include "platform/helper/UString.h"
#include "platform/helper/Win32Defs.h"

using FiBitmap = std::unique_ptr<FIBITMAP, decltype(&FreeImage_Unload)>;

// FreeImage codes the program uses.
constexpr int kImageFormatUnknown = FIF_UNKNOWN;
constexpr int kImageFormatJpeg = FIF_JPEG;
constexpr int kImageFormatPng = FIF_PNG;
constexpr int kFilterBicubic = FILTER_BICUBIC;
constexpr int kPasteWithoutBlending = 256;
constexpr int kJpegSuperb = JPEG_QUALITYSUPERB;
constexpr int kJpegFullColour = JPEG_SUBSAMPLING_444;  // no chroma subsampling: sharp coloured text

// One image held in memory; empty or loaded. Loading operations fail on a
// loaded image.
class ImageBitmap {
 public:
  static constexpr const char* kInMemoryName = "In memory bitmap";

  ImageBitmap() = default;
  ImageBitmap(const ImageBitmap&) = delete;
  ImageBitmap& operator=(const ImageBitmap&) = delete;
  ~ImageBitmap() { Unload(); }

  bool Load(const std::string& name) { return LoadToFit(name, 0, 0); }
  // Loads a picture that is to be scaled to fit `fitWidth` × `fitHeight`
  // (0 × 0: kept as it is). A JPEG more than twice that size is decoded
  // reduced by libjpeg's DCT scaling (1/2, 1/4 or 1/8), never below twice
  // the size it will be scaled to, so that the one resample after it sees
  // enough pixels not to alias. Width() and Height() are what was decoded,
  // FileWidth() and FileHeight() the picture's own size, which fitting goes by.
  bool LoadToFit(const std::string& name, int fitWidth, int fitHeight);
  bool Attach(FiBitmap dib);
  bool Allocate(int width, int height, int bitsPerPixel);
  void Unload();

  // Every pixel of a 24- or 32-bit image takes the colour (and the alpha).
  bool Fill(COLORREF colour, std::uint8_t alpha);
  bool Paste(const ImageBitmap& source, int left, int top, int alpha);
  // Whether the pixels carry an alpha channel or a transparent palette entry.
  bool HasAlpha() const;
  // A new 24-bit image of this one laid over the colour, or null.
  std::unique_ptr<ImageBitmap> ComposedOver(COLORREF colour) const;
  // A new image scaled to the largest size of its proportions inside
  // `target` (with `fit`; without it the size stays), or null.
  // Proportions and the size without `fit` are the picture's own, even when
  // it was decoded reduced.
  std::unique_ptr<ImageBitmap> ScaleToFit(const RECT& target, bool fit, int filter) const;
  std::unique_ptr<ImageBitmap> ScaleToSize(int width, int height, bool fit, int filter) const;
  bool Save(const std::string& name, int format, int flags) const;
  bool SaveJpeg(const std::string& name, int flags) const { return Save(name, kImageFormatJpeg, flags); }
  // Writes into a file made for it (a fresh temporary name) in place, without
  // waiting for the disk; after a failure the caller deletes the file.
  bool SaveScratch(const std::string& name, int format, int flags) const;
  // The file's bytes in `format`, made in memory.
  bool EncodeTo(int format, int flags, std::string& bytes) const;

  bool IsLoaded() const { return loaded; }
  int Width() const { return width; }
  int Height() const { return height; }
  int Bpp() const { return bpp; }
  int FileWidth() const { return fileWidth; }
  int FileHeight() const { return fileHeight; }
  const UString& Name() const { return name; }
  FIBITMAP* Dib() const { return dib.get(); }

 private:
  void Take(FiBitmap image, const std::string& from, int ownWidth, int ownHeight);

  bool loaded = false;
  std::int32_t width = 0, height = 0, bpp = 0;
  UString name;
  FiBitmap dib{nullptr, &FreeImage_Unload};
  std::int32_t fileWidth = 0, fileHeight = 0;
};
