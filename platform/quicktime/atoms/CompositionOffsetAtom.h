#pragma once
#include <cstdint>
#include <vector>

#include "platform/quicktime/QtTypes.h"

// 'ctts': runs of samples shown at an offset from their decoding time.
struct CompositionOffsetAtom {
  static constexpr OSType kType = Tag("ctts");
  struct Run {
    std::uint32_t count = 0;
    std::int32_t offset = 0;
  };
  std::uint8_t version = 0;
  std::uint32_t flags = 0;
  std::vector<Run> runs;

  template <class Io>
  void Transfer(Io& io) {
    io.VersionFlags(version, flags);
    io.Table("runs", runs, 8, [&](Run& run) {
      io.Field("count", run.count);
      io.Field("offset", run.offset);
    });
  }
};
