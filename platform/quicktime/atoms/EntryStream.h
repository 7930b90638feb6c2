#pragma once
#include <cstdint>
#include <functional>

#include "platform/quicktime/QtTypes.h"

// A table's entries made while it is written rather than held: a long
// movie's chunk offsets would otherwise fill memory. The count and the
// largest entry are known beforehand, so the atom is measured first.
struct EntryStream {
  using Put = std::function<void(std::uint64_t entry)>;
  std::uint64_t count = 0, largest = 0;
  // Calls `put` once per entry, in order; an error stops the write.
  std::function<OSErr(const Put& put)> produce;
};
