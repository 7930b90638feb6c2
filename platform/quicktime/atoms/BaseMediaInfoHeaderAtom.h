#pragma once
#include <optional>
#include <vector>

#include "platform/quicktime/atoms/BaseMediaInfoAtom.h"
#include "platform/quicktime/atoms/RawAtom.h"

// 'gmhd': the media header of base media such as text, with 'gmin' and any
// handler-specific atoms (a text track's 'text') kept as they are.
struct BaseMediaInfoHeaderAtom {
  static constexpr OSType kType = Tag("gmhd");
  std::optional<BaseMediaInfoAtom> info;
  std::vector<RawAtom> others;

  template <class Io>
  void Transfer(Io& io) {
    io.Children(others, info);
  }
};
