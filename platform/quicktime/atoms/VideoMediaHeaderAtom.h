#pragma once
#include <array>
#include <cstdint>

#include "platform/quicktime/QtTypes.h"

// 'vmhd': how video is drawn over what lies beneath (graphics mode and
// operation colour).
struct VideoMediaHeaderAtom {
  static constexpr OSType kType = Tag("vmhd");
  std::uint8_t version = 0;
  std::uint32_t flags = 1;  // no lean-ahead: set by every writer
  std::uint16_t graphicsMode = 0;
  std::array<std::uint16_t, 3> opColor{};

  template <class Io>
  void Transfer(Io& io) {
    io.VersionFlags(version, flags);
    io.Field("graphics_mode", graphicsMode);
    for (std::uint16_t& c : opColor) io.Field("op_color", c);
  }
};
