// The header rewrite works in place on whatever a file begins with: it must
// never touch a byte past the file's end.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "formats/FtypHeader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool quiet = std::freopen("/dev/null", "w", stdout) != nullptr;
  (void)quiet;
  static const std::uint8_t full[32] = {0, 0, 0, 32, 'f', 't', 'y', 'p'};
  static const std::uint8_t brief[12] = {0, 0, 0, 0, 'f', 't', 'y', 'p'};
  std::vector<std::uint8_t> file(data, data + size);  // exact size: ASan sees any overrun
  WriteFtypHeader(file.data(), file.size(), 32, full, 12, brief);
  WriteFtypHeader(file.data(), file.size(), 32, full, 32, full);
  return 0;
}
