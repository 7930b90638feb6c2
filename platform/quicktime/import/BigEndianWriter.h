#pragma once
#include <cstdint>
#include <vector>

namespace mediaimport {

// Builds the big-endian bytes of a sample description or an atom inside it.
class BigEndianWriter {
 public:
  void Put(std::uint64_t value, std::size_t width);
  void PutZeros(std::size_t count) { bytes_.insert(bytes_.end(), count, 0); }
  void PutBytes(const std::vector<std::uint8_t>& bytes) { bytes_.insert(bytes_.end(), bytes.begin(), bytes.end()); }
  // Writes the whole length as the 32-bit size field at the start.
  std::vector<std::uint8_t> Sized() &&;
  std::size_t Length() const { return bytes_.size(); }

 private:
  std::vector<std::uint8_t> bytes_;
};

}  // namespace mediaimport
