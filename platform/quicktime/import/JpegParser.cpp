// JPEG: marker segments from the start of the image up to the first frame
// header (SOFn), which gives the size and the number of components.
#include <array>

#include "platform/quicktime/import/Bytes.h"
#include "platform/quicktime/import/ImageMedia.h"
#include "platform/quicktime/import/MediaParsers.h"

namespace mediaimport {

namespace {

constexpr std::uint8_t kStartOfImage = 0xD8, kEndOfImage = 0xD9, kStartOfScan = 0xDA;

bool IsFrameHeader(std::uint8_t marker) {
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// Markers that stand alone, without a length: restarts and TEM.
bool StandsAlone(std::uint8_t marker) { return (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01; }

std::uint16_t DepthOf(std::uint32_t components) {
  switch (components) {
    case 1: return 40;  // 8-bit gray
    case 4: return 32;
    default: return 24;
  }
}

}  // namespace

bool RecognisesJpeg(ByteSource& source) {
  std::array<std::uint8_t, 3> b{};
  return source.Read(0, b) == ImportErr::None && b[0] == 0xFF && b[1] == kStartOfImage && b[2] == 0xFF;
}

ImportErr ParseJpeg(ByteSource& source, ImportedMedia& media) {
  if (!RecognisesJpeg(source)) return ImportErr::NotMovieFile;
  std::uint64_t at = 2;
  for (;;) {
    std::array<std::uint8_t, 2> marker{};
    if (ImportErr err = source.Read(at, marker); err != ImportErr::None) return err;
    if (marker[0] != 0xFF) return ImportErr::NotMovieFile;
    if (marker[1] == 0xFF) {  // fill byte before a marker
      ++at;
      continue;
    }
    at += 2;
    if (StandsAlone(marker[1])) continue;
    if (marker[1] == kEndOfImage || marker[1] == kStartOfScan || marker[1] == kStartOfImage) return ImportErr::NotMovieFile;
    std::array<std::uint8_t, 8> segment{};
    if (ImportErr err = source.Read(at, std::span(segment).first(2)); err != ImportErr::None) return err;
    const std::uint64_t length = BigAt(segment, 0, 2);
    if (length < 2) return ImportErr::NotMovieFile;
    if (IsFrameHeader(marker[1])) {
      if (length < 8) return ImportErr::NotMovieFile;
      if (ImportErr err = source.Read(at, segment); err != ImportErr::None) return err;
      const std::uint32_t components = segment[7];
      if (components == 0) return ImportErr::NotMovieFile;
      return FillImageMedia(source, media, Tag("jpeg"), BigAt(segment, 5, 2), BigAt(segment, 3, 2), DepthOf(components),
                            "Photo - JPEG");
    }
    at += length;
  }
}

}  // namespace mediaimport
