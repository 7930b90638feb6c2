#pragma once
#include <cstdint>
#include <vector>

#include "platform/quicktime/QtTypes.h"

// An atom kept as its bytes: unknown kinds, user data items and sample
// descriptions travel through a read and a write unchanged.
struct RawAtom {
  OSType type = 0;
  std::vector<std::uint8_t> payload;

  static bool Accepts(OSType) { return true; }
  OSType Type() const { return type; }
  void SetType(OSType t) { type = t; }
  template <class Io>
  void Transfer(Io& io) {
    io.Rest("payload", payload);
  }
};
