#pragma once
#include <vector>

#include "platform/quicktime/atoms/RawAtom.h"

// 'udta': user data items, each kept as its bytes.
struct UserDataAtom {
  static constexpr OSType kType = Tag("udta");
  static constexpr bool kMergesRepeats = true;
  std::vector<RawAtom> items;

  template <class Io>
  void Transfer(Io& io) {
    io.Children(items);
  }
  void MergeFrom(UserDataAtom&& other) {
    for (RawAtom& item : other.items) items.push_back(std::move(item));
  }
};
