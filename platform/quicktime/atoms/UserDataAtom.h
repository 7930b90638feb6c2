#pragma once
#include <vector>

#include "platform/quicktime/atoms/RawAtom.h"

// 'udta': user data items, each kept as its bytes.
struct UserDataAtom {
  static constexpr OSType kType = Tag("udta");
  std::vector<RawAtom> items;

  template <class Io>
  void Transfer(Io& io) {
    io.Children(items);
  }
};
