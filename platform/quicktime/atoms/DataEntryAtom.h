#pragma once
#include <cstdint>
#include <vector>

#include "platform/quicktime/QtTypes.h"

// One entry of 'dref' ('url ', 'alis', ...). Flag 1 means "in this file";
// otherwise the location names where the data lies.
struct DataEntryAtom {
  static constexpr std::uint32_t kSelfContained = 1;
  OSType type = Tag("url ");
  std::uint8_t version = 0;
  std::uint32_t flags = kSelfContained;
  std::vector<std::uint8_t> location;

  static bool Accepts(OSType) { return true; }
  OSType Type() const { return type; }
  void SetType(OSType t) { type = t; }
  template <class Io>
  void Transfer(Io& io) {
    io.VersionFlags(version, flags);
    io.Rest("location", location);
  }
};
