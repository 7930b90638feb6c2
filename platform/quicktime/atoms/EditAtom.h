#pragma once
#include <optional>
#include <vector>

#include "platform/quicktime/atoms/EditListAtom.h"
#include "platform/quicktime/atoms/RawAtom.h"

// 'edts': holds the track's edit list.
struct EditAtom {
  static constexpr OSType kType = Tag("edts");
  std::optional<EditListAtom> editList;
  std::vector<RawAtom> others;

  template <class Io>
  void Transfer(Io& io) {
    io.Children(others, editList);
  }
};
