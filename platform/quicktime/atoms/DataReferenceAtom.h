#pragma once
#include <cstdint>
#include <vector>

#include "platform/quicktime/atoms/DataEntryAtom.h"

// 'dref': the places a media's samples lie in; sample descriptions name one
// by its 1-based index.
struct DataReferenceAtom {
  static constexpr OSType kType = Tag("dref");
  std::uint8_t version = 0;
  std::uint32_t flags = 0;
  std::vector<DataEntryAtom> entries;

  template <class Io>
  void Transfer(Io& io) {
    io.VersionFlags(version, flags);
    io.CountedChildren("entries", entries);
  }
};
