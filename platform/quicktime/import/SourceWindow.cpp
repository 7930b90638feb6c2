#include "platform/quicktime/import/SourceWindow.h"

#include <algorithm>

namespace mediaimport {

std::span<const std::uint8_t> SourceWindow::Peek(std::uint64_t offset, std::size_t n) {
  n = std::min(n, kMaxPeek);
  if (status_ != ImportErr::None || offset >= Size()) return {};
  n = std::size_t(std::min<std::uint64_t>(n, Size() - offset));
  const bool inside = offset >= blockStart_ && offset - blockStart_ + n <= block_.size();
  if (!inside && !Refill(offset)) return {};
  return std::span<const std::uint8_t>(block_).subspan(std::size_t(offset - blockStart_), n);
}

bool SourceWindow::Refill(std::uint64_t offset) {
  block_.resize(std::size_t(std::min<std::uint64_t>(kBlock, Size() - offset)));
  blockStart_ = offset;
  status_ = source_.Read(offset, block_);
  if (status_ == ImportErr::None) return true;
  block_.clear();
  return false;
}

}  // namespace mediaimport
