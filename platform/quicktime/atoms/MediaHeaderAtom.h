#pragma once
#include <cstdint>

#include "platform/quicktime/QtTypes.h"
#include "platform/quicktime/atoms/AtomHeader.h"

// 'mdhd': the media's time scale, duration and language.
struct MediaHeaderAtom {
  static constexpr OSType kType = Tag("mdhd");
  std::uint8_t version = 0;
  std::uint32_t flags = 0;
  std::uint64_t created = 0, modified = 0;
  std::uint32_t timeScale = 600;
  std::uint64_t duration = 0;
  std::uint16_t language = 0x55C4;  // "und"
  std::uint16_t quality = 0;

  void Prepare() { version = Fits32(created, modified, duration) ? 0 : 1; }
  template <class Io>
  void Transfer(Io& io) {
    io.VersionFlags(version, flags);
    if (version > 1) return io.Fail();
    const std::size_t width = version == 1 ? 8 : 4;
    io.Field("created", created, width);
    io.Field("modified", modified, width);
    io.Field("time_scale", timeScale);
    io.Field("duration", duration, width);
    io.Field("language", language);
    io.Field("quality", quality);
  }
};
