#pragma once
#include <cstdint>

#include "platform/quicktime/QtTypes.h"

// The size and type in front of every atom. A payload that does not fit a
// 32-bit size takes the 16-byte form (size 1, then a 64-bit size).
struct AtomHeader {
  OSType type = 0;
  std::uint64_t headerBytes = 8;
  std::uint64_t payloadBytes = 0;
  bool cut = false;  // read tolerantly: its size ran past the bytes there are, and was cut to them
};

constexpr std::uint64_t AtomSize(std::uint64_t payload) {
  return payload + 8 <= UINT32_MAX ? payload + 8 : payload + 16;
}

// Whether every value fits a 32-bit field: the version 0 form of a header.
template <class... T>
constexpr bool Fits32(T... values) {
  return ((std::uint64_t(values) <= UINT32_MAX) && ...);
}
