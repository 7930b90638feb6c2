#pragma once
#include <string>

#include "platform/quicktime/import/ByteSource.h"

namespace mediaimport {

// A regular file, read with positioned reads; folders, pipes and devices are refused.
class FileByteSource : public ByteSource {
 public:
  FileByteSource() = default;
  ~FileByteSource() override;
  FileByteSource(const FileByteSource&) = delete;
  FileByteSource& operator=(const FileByteSource&) = delete;

  ImportErr Open(const std::string& path);
  std::uint64_t Size() const override { return size_; }
  ImportErr Read(std::uint64_t offset, std::span<std::uint8_t> out) override;

 private:
  int fd_ = -1;
  std::uint64_t size_ = 0;
};

}  // namespace mediaimport
