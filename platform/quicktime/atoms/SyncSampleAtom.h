#pragma once
#include <cstdint>
#include <vector>

#include "platform/quicktime/QtTypes.h"

// 'stss': the key samples (1-based); absent when every sample is one.
struct SyncSampleAtom {
  static constexpr OSType kType = Tag("stss");
  std::uint8_t version = 0;
  std::uint32_t flags = 0;
  std::vector<std::uint32_t> samples;

  template <class Io>
  void Transfer(Io& io) {
    io.VersionFlags(version, flags);
    io.Table("samples", samples, 4, [&](std::uint32_t& sample) { io.Field("sample", sample); });
  }
};
