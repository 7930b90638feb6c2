#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/helper/Win32Defs.h"

// A file opened with Windows access and sharing values. Share 0 asks for the
// file alone: an exclusive lock that fails while anyone else holds one. Write
// access to a file without write permission fails, as for a read-only file.
class UFile {
 public:
  UFile() = default;
  virtual ~UFile() { Close(); }
  UFile(const UFile&) = delete;
  UFile& operator=(const UFile&) = delete;

  bool Open(const std::string& name, std::uint32_t access, std::uint32_t share, std::uint32_t attributes);
  bool Create(const std::string& name, std::uint32_t disposition, std::uint32_t access, std::uint32_t share,
              std::uint32_t attributes);
  // Bytes read or written; -1 on error.
  std::int64_t Read(void* buffer, std::size_t count);
  // Reads at `offset` without moving the file position; bytes read or -1.
  std::int64_t ReadAt(std::uint64_t offset, void* buffer, std::size_t count);
  std::int64_t Write(const void* buffer, std::size_t count);
  std::int64_t GetFileSize() const;  // -1 when not open
  bool Ready() const { return fd_ >= 0; }
  int Handle() const { return fd_; }
  int LastError() const { return error_; }  // errno of the last failure
  void Close();

 private:
  bool OpenWith(const std::string& name, int flags, std::uint32_t access, std::uint32_t share);
  // Reads until `count` bytes or the end: at `offset`, or else at the file position.
  std::int64_t ReadFully(void* buffer, std::size_t count, std::optional<std::uint64_t> offset);
  int fd_ = -1;
  int error_ = 0;
};
