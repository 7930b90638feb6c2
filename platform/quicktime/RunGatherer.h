#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/quicktime/QtTypes.h"

// Copies runs too small to hand to the kernel one by one (the frames of an
// ADTS file, whose headers the movie leaves out): the source is read a
// stretch at a time and the output written a stretch at a time, instead of
// a system call per frame.
class RunGatherer {
 public:
  static constexpr std::uint64_t kSmallRun = 64 << 10;
  using Write = std::function<OSErr(const std::uint8_t* bytes, std::uint64_t count, std::uint64_t at)>;

  explicit RunGatherer(Write write) : write_(std::move(write)) {}

  // `size` bytes from `in` of the open file `from`, to go to `at` of the output.
  OSErr Add(int from, std::uint64_t in, std::uint64_t size, std::uint64_t at);
  // Writes what has been gathered.
  OSErr Flush();

 private:
  // Reads the stretch of `from` that starts at `in` and holds at least `size` bytes.
  OSErr Fill(int from, std::uint64_t in, std::uint64_t size);

  Write write_;
  int source_ = -1;
  std::uint64_t windowAt_ = 0;
  std::vector<std::uint8_t> window_;
  std::uint64_t pendingAt_ = 0;
  std::vector<std::uint8_t> pending_;
};
