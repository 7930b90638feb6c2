#include "platform/quicktime/RunGatherer.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/quicktime/QtErrors.h"

namespace {
constexpr std::uint64_t kStretch = 4 << 20;
}  // namespace

OSErr RunGatherer::Add(int from, std::uint64_t in, std::uint64_t size, std::uint64_t at) {
  if (!pending_.empty() && at != pendingAt_ + pending_.size())
    if (const OSErr err = Flush(); err != noErr) return err;
  if (pending_.empty()) pendingAt_ = at;
  if (from != source_ || in < windowAt_ || in + size > windowAt_ + window_.size())
    if (const OSErr err = Fill(from, in, size); err != noErr) return err;
  const auto begin = window_.begin() + std::ptrdiff_t(in - windowAt_);
  pending_.insert(pending_.end(), begin, begin + std::ptrdiff_t(size));
  return pending_.size() >= kStretch ? Flush() : OSErr(noErr);
}

OSErr RunGatherer::Flush() {
  const OSErr err = pending_.empty() ? OSErr(noErr) : write_(pending_.data(), pending_.size(), pendingAt_);
  pendingAt_ += pending_.size();
  pending_.clear();
  return err;
}

OSErr RunGatherer::Fill(int from, std::uint64_t in, std::uint64_t size) {
  source_ = -1;  // until the window holds what it says
  window_.resize(std::max(kStretch, size));
  std::uint64_t filled = 0;
  while (filled < window_.size()) {
    const ssize_t n = ::pread(from, window_.data() + filled, window_.size() - filled, off_t(in + filled));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return ioErr;
    if (n == 0) break;
    filled += std::uint64_t(n);
  }
  if (filled < size) return eofErr;  // the source is shorter than its sample table says
  window_.resize(filled);
  source_ = from;
  windowAt_ = in;
  return noErr;
}
