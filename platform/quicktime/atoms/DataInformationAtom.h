#pragma once
#include <vector>

#include "platform/quicktime/atoms/DataReferenceAtom.h"
#include "platform/quicktime/atoms/RawAtom.h"

// 'dinf': holds the data references.
struct DataInformationAtom {
  static constexpr OSType kType = Tag("dinf");
  DataReferenceAtom references;
  std::vector<RawAtom> others;

  template <class Io>
  void Transfer(Io& io) {
    io.Children(others, references);
  }
};
