#pragma once
#include <cstdint>
#include <string>

#include "platform/quicktime/QtTypes.h"

// The file behind a movie: where the samples it adds itself are appended.
class MovieStorage {
 public:
  explicit MovieStorage(std::string path) : path_(std::move(path)) {}
  const std::string& Path() const { return path_; }
  // Appends bytes to the file; `offset` receives where they start.
  static OSErr Append(const std::string& path, const std::uint8_t* bytes, std::uint64_t count, std::uint64_t& offset);

 private:
  std::string path_;
};
