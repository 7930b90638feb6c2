#pragma once
#include <optional>
#include <vector>

#include "platform/quicktime/atoms/MovieHeaderAtom.h"
#include "platform/quicktime/atoms/RawAtom.h"
#include "platform/quicktime/atoms/TrackAtom.h"
#include "platform/quicktime/atoms/UserDataAtom.h"

// 'moov': the movie header, its tracks and its user data.
struct MovieAtom {
  static constexpr OSType kType = Tag("moov");
  MovieHeaderAtom header;
  std::vector<TrackAtom> tracks;
  std::optional<UserDataAtom> userData;
  std::vector<RawAtom> others;

  template <class Io>
  void Transfer(Io& io) {
    io.Children(others, header, tracks, userData);
  }
};
