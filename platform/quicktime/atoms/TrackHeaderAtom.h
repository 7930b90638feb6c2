#pragma once
#include <cstdint>

#include "platform/quicktime/QtTypes.h"
#include "platform/quicktime/atoms/AtomHeader.h"
#include "platform/quicktime/atoms/Matrix.h"

// 'tkhd': a track's ID, enabled flag, duration in movie units, volume and size.
struct TrackHeaderAtom {
  static constexpr OSType kType = Tag("tkhd");
  static constexpr std::uint32_t kEnabled = 1, kInMovie = 2, kInPreview = 4;
  std::uint8_t version = 0;
  std::uint32_t flags = kEnabled | kInMovie | kInPreview;
  std::uint64_t created = 0, modified = 0;
  std::uint32_t trackId = 0;
  std::uint64_t duration = 0;
  std::int16_t layer = 0, alternateGroup = 0, volume = 0;
  Matrix matrix = kIdentityMatrix;
  std::uint32_t width = 0, height = 0;  // 16.16

  void Prepare() { version = Fits32(created, modified, duration) ? 0 : 1; }
  template <class Io>
  void Transfer(Io& io) {
    io.VersionFlags(version, flags);
    if (version > 1) return io.Fail();
    const std::size_t wide = version == 1 ? 8 : 4;
    io.Field("created", created, wide);
    io.Field("modified", modified, wide);
    io.Field("track_id", trackId);
    io.Skip(4);
    io.Field("duration", duration, wide);
    io.Skip(8);
    io.Field("layer", layer);
    io.Field("alternate_group", alternateGroup);
    io.Field("volume", volume);
    io.Skip(2);
    TransferMatrix(io, matrix);
    io.Field("width", width);
    io.Field("height", height);
  }
};
