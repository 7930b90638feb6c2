#pragma once
#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/quicktime/QtTypes.h"
#include "platform/quicktime/atoms/AtomHeader.h"

// 'elst': which stretch of the media each part of the track presents. A media
// time of -1 is an empty stretch.
struct EditListAtom {
  static constexpr OSType kType = Tag("elst");
  struct Entry {
    std::uint64_t trackDuration = 0;  // movie units
    std::int64_t mediaTime = 0;       // media units
    std::int32_t mediaRate = fixed1;
  };
  std::uint8_t version = 0;
  std::uint32_t flags = 0;
  std::vector<Entry> entries;

  void Prepare() {
    const bool narrow = std::all_of(entries.begin(), entries.end(), [](const Entry& e) {
      return Fits32(e.trackDuration) && e.mediaTime >= INT32_MIN && e.mediaTime <= INT32_MAX;
    });
    version = narrow ? 0 : 1;
  }
  template <class Io>
  void Transfer(Io& io) {
    io.VersionFlags(version, flags);
    if (version > 1) return io.Fail();
    const std::size_t width = version == 1 ? 8 : 4;
    io.Table("entries", entries, 2 * width + 4, [&](Entry& e) {
      io.Field("track_duration", e.trackDuration, width);
      io.Field("media_time", e.mediaTime, width);
      io.Field("media_rate", e.mediaRate);
    });
  }
};
