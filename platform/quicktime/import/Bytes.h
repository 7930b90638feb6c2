#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/quicktime/QtTypes.h"

namespace mediaimport {

// Numbers inside bytes the caller has already bounds-checked.
inline std::uint64_t BigAt(std::span<const std::uint8_t> b, std::size_t at, std::size_t width) {
  std::uint64_t v = 0;
  for (std::size_t i = 0; i < width; ++i) v = v << 8 | b[at + i];
  return v;
}

inline std::uint64_t LittleAt(std::span<const std::uint8_t> b, std::size_t at, std::size_t width) {
  std::uint64_t v = 0;
  for (std::size_t i = width; i > 0; --i) v = v << 8 | b[at + i - 1];
  return v;
}

}  // namespace mediaimport
