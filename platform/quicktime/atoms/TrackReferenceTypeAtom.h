#pragma once
#include <cstdint>
#include <vector>

#include "platform/quicktime/QtTypes.h"

// One kind of track reference inside 'tref' ('chap', 'sync', ...): the IDs of
// the tracks referred to.
struct TrackReferenceTypeAtom {
  OSType type = Tag("chap");
  std::vector<std::uint32_t> trackIds;

  static bool Accepts(OSType) { return true; }
  OSType Type() const { return type; }
  void SetType(OSType t) { type = t; }
  template <class Io>
  void Transfer(Io& io) {
    io.Repeat("track_ids", trackIds, 4, [&](std::uint32_t& id) { io.Field("track_id", id); });
  }
};
