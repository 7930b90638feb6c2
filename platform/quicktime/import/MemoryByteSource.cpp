#include "platform/quicktime/import/MemoryByteSource.h"

#include <algorithm>

namespace mediaimport {

ImportErr MemoryByteSource::Read(std::uint64_t offset, std::span<std::uint8_t> out) {
  if (offset > bytes_.size() || out.size() > bytes_.size() - offset) return ImportErr::NotMovieFile;
  std::copy_n(bytes_.begin() + std::ptrdiff_t(offset), out.size(), out.begin());
  return ImportErr::None;
}

}  // namespace mediaimport
