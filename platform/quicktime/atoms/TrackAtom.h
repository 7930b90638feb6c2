#pragma once
#include <optional>
#include <vector>

#include "platform/quicktime/atoms/EditAtom.h"
#include "platform/quicktime/atoms/MediaAtom.h"
#include "platform/quicktime/atoms/RawAtom.h"
#include "platform/quicktime/atoms/TrackHeaderAtom.h"
#include "platform/quicktime/atoms/TrackReferenceAtom.h"
#include "platform/quicktime/atoms/UserDataAtom.h"

// 'trak': one track.
struct TrackAtom {
  static constexpr OSType kType = Tag("trak");
  TrackHeaderAtom header;
  std::optional<EditAtom> edits;
  std::optional<TrackReferenceAtom> references;
  MediaAtom media;
  std::optional<UserDataAtom> userData;
  std::vector<RawAtom> others;

  template <class Io>
  void Transfer(Io& io) {
    io.Children(others, header, edits, references, media, userData);
  }
};
