#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// An owned, resizable byte buffer. size() is the allocated size, not a fill level.
class HeapChar {
 public:
  explicit HeapChar(std::size_t n = 0) : bytes_(n) {}
  virtual ~HeapChar() = default;
  HeapChar(const HeapChar&) = default;
  HeapChar& operator=(const HeapChar&) = default;

  std::size_t size() const { return bytes_.size(); }
  std::uint8_t* data() { return bytes_.data(); }
  const std::uint8_t* data() const { return bytes_.data(); }
  // New size; the first min(old, n) bytes survive when `keep`, else all bytes are zero.
  void Resize(std::size_t n, bool keep) {
    if (!keep) bytes_.assign(n, 0);
    else bytes_.resize(n);
  }

 private:
  std::vector<std::uint8_t> bytes_;
};
