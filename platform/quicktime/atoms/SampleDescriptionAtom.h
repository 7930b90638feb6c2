#pragma once
#include <cstdint>
#include <vector>

#include "platform/quicktime/atoms/RawAtom.h"

// 'stsd': the media's sample descriptions, each kept as the bytes of its
// entry (format code as the type, the rest as payload).
struct SampleDescriptionAtom {
  static constexpr OSType kType = Tag("stsd");
  std::uint8_t version = 0;
  std::uint32_t flags = 0;
  std::vector<RawAtom> entries;

  template <class Io>
  void Transfer(Io& io) {
    io.VersionFlags(version, flags);
    io.CountedChildren("entries", entries);
  }
};
