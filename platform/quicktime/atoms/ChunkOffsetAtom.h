#pragma once
#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/quicktime/QtTypes.h"
#include "platform/quicktime/atoms/EntryStream.h"

// 'stco' or, when an offset lies past 4 GiB, 'co64': where each chunk starts
// in its file. A writer may make them as it goes instead (`stream`).
struct ChunkOffsetAtom {
  static constexpr OSType kNarrow = Tag("stco"), kWide = Tag("co64");
  std::uint8_t version = 0;
  std::uint32_t flags = 0;
  bool wide = false;
  std::vector<std::uint64_t> offsets;
  EntryStream stream;  // used when it can make entries

  static bool Accepts(OSType type) { return type == kNarrow || type == kWide; }
  OSType Type() const { return wide ? kWide : kNarrow; }
  void SetType(OSType type) { wide = type == kWide; }
  void Prepare() {
    wide = stream.produce ? stream.largest > UINT32_MAX
                          : std::any_of(offsets.begin(), offsets.end(), [](std::uint64_t offset) { return offset > UINT32_MAX; });
  }
  template <class Io>
  void Transfer(Io& io) {
    io.VersionFlags(version, flags);
    const std::size_t width = wide ? 8 : 4;
    if (!stream.produce)
      return io.Table("offsets", offsets, width, [&](std::uint64_t& offset) { io.Field("offset", offset, width); });
    std::uint64_t count = stream.count;
    io.Field("offsets", count, 4);
    io.Streamed("offsets", stream, width);
  }
};
