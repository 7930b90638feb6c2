#include "platform/helper/ProcessMemory.h"

#include <malloc.h>

#include <mutex>

namespace {
// Buffers up to this size come from the heap, not from mappings of their own
// (32 MiB is the most glibc takes: a 2000 × 1500 picture and its copies).
constexpr int kMapAbove = 32 << 20;
// Free memory at the top of a heap is given back only past this much.
constexpr int kTrimAbove = 256 << 20;
}  // namespace

void KeepFreedMemory() {
  static std::once_flag once;
  std::call_once(once, [] {
    mallopt(M_MMAP_THRESHOLD, kMapAbove);
    mallopt(M_TRIM_THRESHOLD, kTrimAbove);
  });
}
