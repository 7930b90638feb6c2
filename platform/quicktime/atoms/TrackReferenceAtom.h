#pragma once
#include <vector>

#include "platform/quicktime/atoms/RawAtom.h"
#include "platform/quicktime/atoms/TrackReferenceTypeAtom.h"

// 'tref': the track's references to other tracks, by kind.
struct TrackReferenceAtom {
  static constexpr OSType kType = Tag("tref");
  std::vector<TrackReferenceTypeAtom> kinds;
  std::vector<RawAtom> others;  // stays empty: every kind is taken above

  template <class Io>
  void Transfer(Io& io) {
    io.Children(others, kinds);
  }
};
