#pragma once
#include <cstdint>
#include <vector>

#include "platform/quicktime/QtTypes.h"

// 'ftyp': the brands a file claims to follow.
struct FileTypeAtom {
  static constexpr OSType kType = Tag("ftyp");
  OSType majorBrand = Tag("qt  ");
  std::uint32_t minorVersion = 0;
  std::vector<OSType> compatibleBrands;

  template <class Io>
  void Transfer(Io& io) {
    io.Code("major_brand", majorBrand);
    io.Field("minor_version", minorVersion);
    io.Repeat("compatible_brands", compatibleBrands, 4, [&](OSType& brand) { io.Code("brand", brand); });
  }
};
