#pragma once
#include <cstdint>
#include <vector>

#include "platform/quicktime/QtTypes.h"

// 'stsc': from which chunk on (1-based) each chunk holds how many samples of
// which description.
struct SampleToChunkAtom {
  static constexpr OSType kType = Tag("stsc");
  struct Run {
    std::uint32_t firstChunk = 1, samplesPerChunk = 0, descriptionIndex = 1;
  };
  std::uint8_t version = 0;
  std::uint32_t flags = 0;
  std::vector<Run> runs;

  template <class Io>
  void Transfer(Io& io) {
    io.VersionFlags(version, flags);
    io.Table("runs", runs, 12, [&](Run& run) {
      io.Field("first_chunk", run.firstChunk);
      io.Field("samples_per_chunk", run.samplesPerChunk);
      io.Field("description_index", run.descriptionIndex);
    });
  }
};
