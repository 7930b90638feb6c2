#include "platform/quicktime/import/BigEndianWriter.h"

namespace mediaimport {

void BigEndianWriter::Put(std::uint64_t value, std::size_t width) {
  for (std::size_t i = width; i > 0; --i) bytes_.push_back(std::uint8_t(value >> (8 * (i - 1))));
}

std::vector<std::uint8_t> BigEndianWriter::Sized() && {
  const std::uint64_t size = bytes_.size();
  for (std::size_t i = 0; i < 4 && i < bytes_.size(); ++i) bytes_[i] = std::uint8_t(size >> (8 * (3 - i)));
  return std::move(bytes_);
}

}  // namespace mediaimport
