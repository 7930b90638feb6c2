#pragma once
#include <cstdint>

#include "platform/quicktime/QtTypes.h"

// 'smhd': the stereo balance of a sound track.
struct SoundMediaHeaderAtom {
  static constexpr OSType kType = Tag("smhd");
  std::uint8_t version = 0;
  std::uint32_t flags = 0;
  std::int16_t balance = 0;

  template <class Io>
  void Transfer(Io& io) {
    io.VersionFlags(version, flags);
    io.Field("balance", balance);
    io.Skip(2);
  }
};
