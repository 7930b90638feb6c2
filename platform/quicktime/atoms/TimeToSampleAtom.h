#pragma once
#include <cstdint>
#include <vector>

#include "platform/quicktime/QtTypes.h"

// 'stts': runs of samples of one duration each.
struct TimeToSampleAtom {
  static constexpr OSType kType = Tag("stts");
  struct Run {
    std::uint32_t count = 0, duration = 0;
  };
  std::uint8_t version = 0;
  std::uint32_t flags = 0;
  std::vector<Run> runs;

  template <class Io>
  void Transfer(Io& io) {
    io.VersionFlags(version, flags);
    io.Table("runs", runs, 8, [&](Run& run) {
      io.Field("count", run.count);
      io.Field("duration", run.duration);
    });
  }
};
