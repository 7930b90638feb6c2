#pragma once
#include <cstdint>

#include "platform/quicktime/QtTypes.h"
#include "platform/quicktime/atoms/SizeList.h"

// 'stsz': one size for all samples, or a size per sample. The sizes are
// shared with the sample table they come from or go to, and may still lie in
// the files they were read from: for a long book they are most of the 'moov'.
struct SampleSizeAtom {
  static constexpr OSType kType = Tag("stsz");
  std::uint8_t version = 0;
  std::uint32_t flags = 0;
  std::uint32_t constantSize = 0;  // 0: each sample has its own size
  std::uint32_t sampleCount = 0;
  SizeList sizes;

  void Prepare() {
    if (constantSize == 0) sampleCount = std::uint32_t(sizes.size());
  }
  template <class Io>
  void Transfer(Io& io) {
    io.VersionFlags(version, flags);
    io.Field("constant_size", constantSize);
    io.Field("sample_count", sampleCount);
    if (constantSize == 0)
      io.Array("sizes", sizes, sampleCount, 4, [&](std::uint32_t& size) { io.Field("size", size); });
  }
};
