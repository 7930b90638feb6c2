#include "imaging/ImageBitmap.h"

#include <algorithm>
#include <cstring>

#include "imaging/ImageFiles.h"
#include "platform/gdi/FitRect.h"
#include "platform/helper/FileSystem.h"
#include "platform/helper/UFile.h"
#include "imaging/ImageMessages.h"
#include "imaging/ImageResampler.h"
#include "imaging/JpegReducer.h"

namespace {
// Deep images (16 bits a channel, floating point) become ordinary 8-bit a
// channel bitmaps, the only kind the frame, the paste and JPEG can take.
FiBitmap Standardised(FiBitmap dib) {
  if (!dib || FreeImage_GetImageType(dib.get()) == FIT_BITMAP) return dib;
  FIBITMAP* plain = nullptr;
  switch (FreeImage_GetImageType(dib.get())) {
    case FIT_RGB16:
      plain = FreeImage_ConvertTo24Bits(dib.get());
      break;
    case FIT_RGBA16:
      plain = FreeImage_ConvertTo32Bits(dib.get());
      break;
    case FIT_RGBF:
    case FIT_RGBAF:
      plain = FreeImage_ToneMapping(dib.get(), FITMO_DRAGO03, 0, 0);
      break;
    default:
      plain = FreeImage_ConvertToStandardType(dib.get(), TRUE);
      break;
  }
  return FiBitmap(plain, &FreeImage_Unload);
}

// A depth the format cannot write (32-bit JPEG, 16-bit PNG) is saved as 24
// bits. FreeImage says JPEG takes 32 bits, but only for CMYK, never RGBA.
FiBitmap Writable(FIBITMAP* dib, FREE_IMAGE_FORMAT format) {
  const int bpp = int(FreeImage_GetBPP(dib));
  const bool takes = format == FIF_JPEG ? bpp == 8 || bpp == 24 : FreeImage_FIFSupportsExportBPP(format, bpp);
  if (takes) return FiBitmap(nullptr, &FreeImage_Unload);
  return FiBitmap(FreeImage_ConvertTo24Bits(dib), &FreeImage_Unload);
}

// Slides are a few megapixels; a header claiming far more is a damaged or
// hostile file whose pixels would not fit in memory.
constexpr unsigned long long kMaxPixels = 128ull * 1000 * 1000;

struct Header {
  bool read = false;
  int width = 0, height = 0;
  bool TooLarge() const { return read && (unsigned long long)width * unsigned(height) > kMaxPixels; }
};

Header ReadHeader(FREE_IMAGE_FORMAT format, const std::string& file) {
  const FiBitmap header(FreeImage_Load(format, file.c_str(), FIF_LOAD_NOPIXELS), &FreeImage_Unload);
  if (!header) return Header{};
  return Header{true, int(FreeImage_GetWidth(header.get())), int(FreeImage_GetHeight(header.get()))};
}

// How many pixels the longer side of a JPEG must keep when decoded reduced
// by its DCT scaling (1/2, 1/4 or 1/8), or 0 when it is not to be reduced.
int KeptSide(FREE_IMAGE_FORMAT format, const Header& header, int fitWidth, int fitHeight) {
  if (format != FIF_JPEG || !header.read || fitWidth <= 0 || fitHeight <= 0) return 0;
  RECT fitted;
  FitRectInRect(fitted, RECT{0, 0, fitWidth, fitHeight}, RECT{0, 0, header.width, header.height}, 1.0);
  const int longer = header.width >= header.height ? fitted.right - fitted.left : fitted.bottom - fitted.top;
  const long long keep = 2ll * longer;
  if (keep * 2 > std::max(header.width, header.height) || keep > 0x7FFF) return 0;
  return int(keep);
}

// A file's bytes in one read of its size.
bool ReadBytes(const std::string& file, std::string& bytes) {
  UFile in;
  if (!in.Open(file, GENERIC_READ, FILE_SHARE_READ, FILE_ATTRIBUTE_NORMAL)) return false;
  const std::int64_t size = in.GetFileSize();
  if (size <= 0) return false;
  bytes.resize(std::size_t(size));
  for (std::size_t done = 0; done < bytes.size();) {
    const std::int64_t n = in.Read(bytes.data() + done, bytes.size() - done);
    if (n <= 0) return false;
    done += std::size_t(n);
  }
  return true;
}

// Our own reduced decode, or else FreeImage's, which takes the side to keep
// in the upper half of its flags.
FiBitmap LoadReduced(const std::string& file, int keep) {
  std::string bytes;
  FiBitmap image = ReadBytes(file, bytes) ? JpegReducer::Decode(bytes, keep) : FiBitmap(nullptr, &FreeImage_Unload);
  if (image) return image;
  return FiBitmap(FreeImage_Load(FIF_JPEG, file.c_str(), keep << 16), &FreeImage_Unload);
}

using MemoryFile = std::unique_ptr<FIMEMORY, decltype(&FreeImage_CloseMemory)>;

bool WriteInPlace(const std::string& file, const std::string& bytes) {
  UFile out;
  if (!out.Create(file, CREATE_ALWAYS, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, FILE_ATTRIBUTE_NORMAL)) {
    return false;
  }
  for (std::size_t done = 0; done < bytes.size();) {
    const std::int64_t n = out.Write(bytes.data() + done, bytes.size() - done);
    if (n <= 0) return false;
    done += std::size_t(n);
  }
  return true;
}

bool Encode(FIBITMAP* dib, FREE_IMAGE_FORMAT format, int flags, std::string& bytes) {
  const MemoryFile memory(FreeImage_OpenMemory(nullptr, 0), &FreeImage_CloseMemory);
  if (!memory || !FreeImage_SaveToMemory(format, dib, memory.get(), flags)) return false;
  BYTE* data = nullptr;
  DWORD size = 0;
  if (!FreeImage_AcquireMemory(memory.get(), &data, &size)) return false;
  bytes.assign(reinterpret_cast<const char*>(data), size);
  return true;
}
}  // namespace

void ImageBitmap::Take(FiBitmap image, const std::string& from, int ownWidth, int ownHeight) {
  dib = std::move(image);
  name = from;
  width = std::int32_t(FreeImage_GetWidth(dib.get()));
  height = std::int32_t(FreeImage_GetHeight(dib.get()));
  bpp = std::int32_t(FreeImage_GetBPP(dib.get()));
  fileWidth = ownWidth > 0 ? ownWidth : width;
  fileHeight = ownHeight > 0 ? ownHeight : height;
  loaded = true;
}

bool ImageBitmap::LoadToFit(const std::string& file, int fitWidth, int fitHeight) {
  if (loaded) return false;
  if (!FileExists(file)) {
    ImageErrorPrintf("file \"%s\" does not exists\n", file.c_str());
    return false;
  }
  int format = kImageFormatUnknown;
  if (!IsImageFile(file, &format)) {
    ImageErrorPrintf("unsupported file type: \"%s\"\n", file.c_str());
    return false;
  }
  const Header header = ReadHeader(FREE_IMAGE_FORMAT(format), file);
  if (header.TooLarge()) {
    ImageErrorPrintf("image too large: \"%s\"\n", file.c_str());
    return false;
  }
  const int keep = KeptSide(FREE_IMAGE_FORMAT(format), header, fitWidth, fitHeight);
  FiBitmap image = Standardised(keep ? LoadReduced(file, keep)
                                     : FiBitmap(FreeImage_Load(FREE_IMAGE_FORMAT(format), file.c_str(), 0),
                                                &FreeImage_Unload));
  if (!image) {
    ImageErrorPrintf("error load file: \"%s\"\n", file.c_str());
    return false;
  }
  // A reduced decode keeps the proportions only to a pixel; the header's are exact.
  Take(std::move(image), file, keep ? header.width : 0, keep ? header.height : 0);
  return true;
}

bool ImageBitmap::Attach(FiBitmap image) {
  if (loaded || !image) return false;
  Take(std::move(image), kInMemoryName, 0, 0);
  return true;
}

bool ImageBitmap::Allocate(int w, int h, int bitsPerPixel) {
  if (loaded) return false;
  width = w;
  height = h;
  bpp = bitsPerPixel;
  fileWidth = w;
  fileHeight = h;
  name = kInMemoryName;
  dib.reset(FreeImage_Allocate(w, h, bitsPerPixel, 0, 0, 0));
  loaded = dib != nullptr;
  return loaded;
}

void ImageBitmap::Unload() {
  if (loaded && dib) {
    dib.reset();
    width = height = fileWidth = fileHeight = 0;
    loaded = false;
  }
}

// One row is coloured pixel by pixel and copied to the others.
bool ImageBitmap::Fill(COLORREF colour, std::uint8_t alpha) {
  if (!loaded || (bpp != 24 && bpp != 32)) return false;
  const std::uint8_t pixel[4] = {std::uint8_t(colour >> 16), std::uint8_t(colour >> 8), std::uint8_t(colour), alpha};
  const std::size_t bytes = std::size_t(bpp) / 8, length = std::size_t(width) * bytes;
  BYTE* first = FreeImage_GetScanLine(dib.get(), 0);
  for (std::size_t x = 0; x < length; x += bytes) std::memcpy(first + x, pixel, bytes);
  for (int y = 1; y < height; ++y) std::memcpy(FreeImage_GetScanLine(dib.get(), y), first, length);
  return true;
}

bool ImageBitmap::Paste(const ImageBitmap& source, int left, int top, int alpha) {
  if (!loaded || !source.loaded) return false;
  return FreeImage_Paste(dib.get(), source.dib.get(), left, top, alpha) != 0;
}

bool ImageBitmap::HasAlpha() const {
  return loaded && FreeImage_GetImageType(dib.get()) == FIT_BITMAP && (bpp == 32 || FreeImage_IsTransparent(dib.get()));
}

// FreeImage lays 8- and 32-bit images over a colour; other depths go over as 32 bits.
std::unique_ptr<ImageBitmap> ImageBitmap::ComposedOver(COLORREF colour) const {
  if (!loaded) return nullptr;
  const FiBitmap deep(bpp == 8 || bpp == 32 ? nullptr : FreeImage_ConvertTo32Bits(dib.get()), &FreeImage_Unload);
  RGBQUAD under{.rgbBlue = BYTE(colour >> 16), .rgbGreen = BYTE(colour >> 8), .rgbRed = BYTE(colour), .rgbReserved = 0};
  FiBitmap opaque(FreeImage_Composite(deep ? deep.get() : dib.get(), FALSE, &under, nullptr), &FreeImage_Unload);
  if (!opaque) return nullptr;
  auto image = std::make_unique<ImageBitmap>();
  image->Take(std::move(opaque), name, fileWidth, fileHeight);
  return image;
}

std::unique_ptr<ImageBitmap> ImageBitmap::ScaleToFit(const RECT& target, bool fit, int filter) const {
  if (!loaded) return nullptr;
  const RECT source{0, 0, fileWidth, fileHeight};
  RECT result = source;
  if (fit) FitRectInRect(result, target, source, 1.0);
  const int w = result.right - result.left, h = result.bottom - result.top;
  FiBitmap scaled(nullptr, &FreeImage_Unload);
  if (filter >= FILTER_BOX && filter <= FILTER_LANCZOS3) {
    scaled = ImageResampler::Takes(dib.get()) ? ImageResampler(filter).Resample(dib.get(), w, h)
                                              : FiBitmap(FreeImage_Rescale(dib.get(), w, h, FREE_IMAGE_FILTER(filter)),
                                                         &FreeImage_Unload);
  }
  if (!scaled) {
    ImageErrorPrintf("error resizing image\n");
    return nullptr;
  }
  auto image = std::make_unique<ImageBitmap>();
  image->Attach(std::move(scaled));
  return image;
}

std::unique_ptr<ImageBitmap> ImageBitmap::ScaleToSize(int w, int h, bool fit, int filter) const {
  return ScaleToFit(RECT{0, 0, w, h}, fit, filter);
}

// Encoded in memory and written whole, so that a failed save leaves no
// half-written image behind.
bool ImageBitmap::Save(const std::string& file, int format, int flags) const {
  std::string bytes;
  return EncodeTo(format, flags, bytes) && WriteWholeFile(file, bytes);
}

bool ImageBitmap::SaveScratch(const std::string& file, int format, int flags) const {
  std::string bytes;
  return EncodeTo(format, flags, bytes) && WriteInPlace(file, bytes);
}

bool ImageBitmap::EncodeTo(int format, int flags, std::string& bytes) const {
  if (!loaded) return false;
  const FiBitmap converted = Writable(dib.get(), FREE_IMAGE_FORMAT(format));
  return Encode(converted ? converted.get() : dib.get(), FREE_IMAGE_FORMAT(format), flags, bytes);
}
