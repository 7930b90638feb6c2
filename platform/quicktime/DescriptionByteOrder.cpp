#include "platform/quicktime/DescriptionByteOrder.h"

#include <algorithm>
#include <bit>
#include <span>

namespace {
// Widths of the fixed fields in order; 1 stands for bytes that have no order.
constexpr std::uint8_t kSoundFields[] = {4, 4, 4, 2, 2, 2, 2, 4, 2, 2, 2, 2, 4};  // version 0: 36 bytes
constexpr std::uint8_t kSoundVersion1Fields[] = {4, 4, 4, 4};                     // then 16 more
constexpr std::uint8_t kSoundVersion2Fields[] = {4, 8, 4, 4, 4, 4, 4, 4};         // then 36 more
constexpr std::uint8_t kImageFields[] = {4, 4, 4, 2, 2, 2, 2, 4, 4, 4, 2, 2, 4, 4, 4, 2};  // then name, depth, clut
constexpr std::size_t kImageNameBytes = 32;
constexpr std::uint8_t kImageTailFields[] = {2, 2};
constexpr std::size_t kSoundVersionAt = 16;

constexpr OSType kSound = Tag("soun"), kVideo = Tag("vide");

std::size_t SwapFields(std::span<std::uint8_t> bytes, std::size_t at, std::span<const std::uint8_t> widths) {
  for (std::uint8_t width : widths) {
    if (at + width > bytes.size()) return bytes.size();
    if constexpr (std::endian::native == std::endian::little) std::reverse(bytes.begin() + long(at), bytes.begin() + long(at + width));
    at += width;
  }
  return at;
}

std::uint16_t VersionOf(const std::vector<std::uint8_t>& bytes, bool hostOrder) {
  if (bytes.size() < kSoundVersionAt + 2) return 0;
  const std::uint8_t hi = bytes[kSoundVersionAt], lo = bytes[kSoundVersionAt + 1];
  const bool littleHost = std::endian::native == std::endian::little;
  return hostOrder && littleHost ? std::uint16_t(lo << 8 | hi) : std::uint16_t(hi << 8 | lo);
}
}  // namespace

void DescriptionByteOrder::ToHost(OSType mediaType, std::vector<std::uint8_t>& description) {
  Swap(mediaType, description, true);
}

void DescriptionByteOrder::ToFile(OSType mediaType, std::vector<std::uint8_t>& description) {
  Swap(mediaType, description, false);
}

void DescriptionByteOrder::Swap(OSType mediaType, std::vector<std::uint8_t>& description, bool toHost) {
  if (mediaType == kSound) {
    const std::uint16_t version = VersionOf(description, !toHost);
    const std::size_t at = SwapFields(description, 0, kSoundFields);
    if (version == 1) SwapFields(description, at, kSoundVersion1Fields);
    if (version == 2) SwapFields(description, at, kSoundVersion2Fields);
  } else if (mediaType == kVideo) {
    const std::size_t at = SwapFields(description, 0, kImageFields);
    SwapFields(description, at + kImageNameBytes, kImageTailFields);
  }
}
