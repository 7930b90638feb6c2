#pragma once
#include <cstdint>

#include "platform/quicktime/QtTypes.h"
#include "platform/quicktime/atoms/AtomHeader.h"
#include "platform/quicktime/atoms/Matrix.h"

// 'mvhd': the movie's time scale, duration and next free track ID.
struct MovieHeaderAtom {
  static constexpr OSType kType = Tag("mvhd");
  std::uint8_t version = 0;
  std::uint32_t flags = 0;
  std::uint64_t created = 0, modified = 0;
  std::uint32_t timeScale = 600;
  std::uint64_t duration = 0;
  std::int32_t rate = fixed1;
  std::int16_t volume = 0x100;
  Matrix matrix = kIdentityMatrix;
  std::uint32_t nextTrackId = 1;

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
    io.Field("rate", rate);
    io.Field("volume", volume);
    io.Skip(10);
    TransferMatrix(io, matrix);
    io.Skip(24);  // preview, poster, selection and current time: unused
    io.Field("next_track_id", nextTrackId);
  }
};
