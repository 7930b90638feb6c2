#include "platform/helper/UFileMapping.h"

#include <sys/mman.h>

bool UFileMapping::Map(const UFile& file) {
  Close();
  const std::int64_t size = file.GetFileSize();
  if (size <= 0) return false;
  void* p = mmap(nullptr, std::size_t(size), PROT_READ | PROT_WRITE, MAP_SHARED, file.Handle(), 0);
  if (p == MAP_FAILED) return false;
  view_ = static_cast<std::uint8_t*>(p);
  size_ = std::size_t(size);
  return true;
}

void UFileMapping::Close() {
  if (view_) {
    msync(view_, size_, MS_SYNC);
    munmap(view_, size_);
  }
  view_ = nullptr;
  size_ = 0;
}
