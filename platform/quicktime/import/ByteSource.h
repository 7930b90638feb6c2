#pragma once
#include <cstdint>
#include <span>

#include "platform/quicktime/import/ImportedMedia.h"

namespace mediaimport {

// Where an importer's bytes come from: a file, or memory for the fuzzer.
// Importers read small pieces at offsets and never ask for the whole.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual std::uint64_t Size() const = 0;
  // Fills `out` from `offset`: None, NotMovieFile when the source ends first,
  // Io when reading fails.
  virtual ImportErr Read(std::uint64_t offset, std::span<std::uint8_t> out) = 0;
};

}  // namespace mediaimport
