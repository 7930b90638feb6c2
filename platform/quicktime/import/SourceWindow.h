#pragma once
#include <cstdint>
#include <span>
#include <vector>

#include "platform/quicktime/import/ByteSource.h"

namespace mediaimport {

// A small moving buffer over a source, for scanning frame headers from the
// start of a file to its end without holding more than one block.
class SourceWindow {
 public:
  static constexpr std::size_t kBlock = 64 * 1024;
  static constexpr std::size_t kMaxPeek = 16 * 1024;

  explicit SourceWindow(ByteSource& source) : source_(source) {}
  // Up to `n` (at most kMaxPeek) bytes from `offset`: fewer where the source
  // ends, none after a read error (then Status() says why).
  std::span<const std::uint8_t> Peek(std::uint64_t offset, std::size_t n);
  std::uint64_t Size() const { return source_.Size(); }
  ImportErr Status() const { return status_; }

 private:
  bool Refill(std::uint64_t offset);

  ByteSource& source_;
  std::vector<std::uint8_t> block_;
  std::uint64_t blockStart_ = 0;
  ImportErr status_ = ImportErr::None;
};

}  // namespace mediaimport
