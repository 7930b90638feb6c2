#pragma once
#include <array>
#include <cstdint>

#include "platform/quicktime/QtTypes.h"

// 'gmin' inside 'gmhd': drawing mode and balance of a base media track, such
// as a text track.
struct BaseMediaInfoAtom {
  static constexpr OSType kType = Tag("gmin");
  std::uint8_t version = 0;
  std::uint32_t flags = 0;
  std::uint16_t graphicsMode = 0x40;  // copy
  std::array<std::uint16_t, 3> opColor{0x8000, 0x8000, 0x8000};
  std::int16_t balance = 0;

  template <class Io>
  void Transfer(Io& io) {
    io.VersionFlags(version, flags);
    io.Field("graphics_mode", graphicsMode);
    for (std::uint16_t& c : opColor) io.Field("op_color", c);
    io.Field("balance", balance);
    io.Skip(2);
  }
};
