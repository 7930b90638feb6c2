// PNG: the signature, then the 'IHDR' chunk that every PNG starts with.
#include <array>
#include <cstring>

#include "platform/quicktime/import/Bytes.h"
#include "platform/quicktime/import/ImageMedia.h"
#include "platform/quicktime/import/MediaParsers.h"

namespace mediaimport {

namespace {

constexpr std::array<std::uint8_t, 8> kSignature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::uint32_t kGray = 0, kColour = 2, kPalette = 3, kGrayAlpha = 4, kColourAlpha = 6;

// Depth as image descriptions count it: 1-8 for palettes, 24 for colour,
// 32 with alpha, 32 + bits for gray.
std::uint16_t DepthOf(std::uint32_t colourType, std::uint32_t bits) {
  switch (colourType) {
    case kGray: return std::uint16_t(32 + std::min<std::uint32_t>(bits, 8));
    case kColour: return 24;
    case kPalette: return std::uint16_t(bits);
    case kGrayAlpha: case kColourAlpha: return 32;
    default: return 0;
  }
}

bool ValidBits(std::uint32_t colourType, std::uint32_t bits) {
  switch (colourType) {
    case kGray: return bits == 1 || bits == 2 || bits == 4 || bits == 8 || bits == 16;
    case kPalette: return bits == 1 || bits == 2 || bits == 4 || bits == 8;
    case kColour: case kGrayAlpha: case kColourAlpha: return bits == 8 || bits == 16;
    default: return false;
  }
}

}  // namespace

bool RecognisesPng(ByteSource& source) {
  std::array<std::uint8_t, 8> b{};
  return source.Read(0, b) == ImportErr::None && b == kSignature;
}

ImportErr ParsePng(ByteSource& source, ImportedMedia& media) {
  std::array<std::uint8_t, 8 + 8 + 13> b{};
  if (source.Read(0, b) != ImportErr::None || !std::equal(kSignature.begin(), kSignature.end(), b.begin()))
    return ImportErr::NotMovieFile;
  if (BigAt(b, 8, 4) != 13 || BigAt(b, 12, 4) != Tag("IHDR")) return ImportErr::NotMovieFile;
  const std::uint32_t bits = b[24], colourType = b[25];
  if (!ValidBits(colourType, bits)) return ImportErr::NotMovieFile;
  return FillImageMedia(source, media, Tag("png "), BigAt(b, 16, 4), BigAt(b, 20, 4), DepthOf(colourType, bits), "PNG");
}

}  // namespace mediaimport
