#pragma once
#include <sys/stat.h>

#include <cstdint>
#include <memory>
#include <string>

#include "platform/quicktime/QtTypes.h"

// The file some table entries were read from, as it was then: entries left
// in the file are read again only while it is still that file, so a source
// replaced or cut short under a running build is refused, not misread.
class FileOrigin {
 public:
  // `info` is what fstat said of the open file at `path`.
  static std::shared_ptr<const FileOrigin> Of(std::string path, const struct stat& info);

  const std::string& Path() const { return path_; }
  // A descriptor on the file, or -1 with `err` and `why` set: it is gone,
  // shorter than `needed` bytes, or no longer the file that was read.
  int OpenUnchanged(std::uint64_t needed, OSErr& err, std::string& why) const;

 private:
  FileOrigin(std::string path, const struct stat& info);
  bool Same(const struct stat& info) const;

  std::string path_;
  dev_t device_;
  ino_t inode_;
  off_t size_;
  struct timespec modified_;
};
