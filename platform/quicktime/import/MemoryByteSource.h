#pragma once
#include "platform/quicktime/import/ByteSource.h"

namespace mediaimport {

// Bytes already in memory, as the fuzzer hands them over.
class MemoryByteSource : public ByteSource {
 public:
  explicit MemoryByteSource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  std::uint64_t Size() const override { return bytes_.size(); }
  ImportErr Read(std::uint64_t offset, std::span<std::uint8_t> out) override;

 private:
  std::span<const std::uint8_t> bytes_;
};

}  // namespace mediaimport
