#pragma once
#include <vector>

#include "platform/quicktime/atoms/HandlerAtom.h"
#include "platform/quicktime/atoms/MediaHeaderAtom.h"
#include "platform/quicktime/atoms/MediaInformationAtom.h"
#include "platform/quicktime/atoms/RawAtom.h"

// 'mdia': one track's media.
struct MediaAtom {
  static constexpr OSType kType = Tag("mdia");
  MediaHeaderAtom header;
  HandlerAtom handler;
  MediaInformationAtom information;
  std::vector<RawAtom> others;

  template <class Io>
  void Transfer(Io& io) {
    io.Children(others, header, handler, information);
  }
};
