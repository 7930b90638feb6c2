#include "platform/quicktime/import/FileByteSource.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mediaimport {

namespace {
ImportErr ErrorOfErrno(int error) {
  switch (error) {
    case ENOENT: case ENOTDIR: case ENAMETOOLONG: case ELOOP: case EISDIR: return ImportErr::FileNotFound;
    case EACCES: case EPERM: return ImportErr::Permission;
    default: return ImportErr::Io;
  }
}
}  // namespace

FileByteSource::~FileByteSource() {
  if (fd_ >= 0) ::close(fd_);
}

ImportErr FileByteSource::Open(const std::string& path) {
  if (path.empty()) return ImportErr::Param;
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return ErrorOfErrno(errno);
  if (S_ISDIR(info.st_mode)) return ImportErr::FileNotFound;
  if (!S_ISREG(info.st_mode)) return ImportErr::NotMovieFile;  // a pipe or device could block or never end
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd_ < 0) return ErrorOfErrno(errno);
  if (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) return ImportErr::NotMovieFile;
  size_ = std::uint64_t(info.st_size);
  return ImportErr::None;
}

ImportErr FileByteSource::Read(std::uint64_t offset, std::span<std::uint8_t> out) {
  if (offset > size_ || out.size() > size_ - offset) return ImportErr::NotMovieFile;
  while (!out.empty()) {
    const ssize_t n = ::pread(fd_, out.data(), out.size(), off_t(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return ImportErr::Io;
    if (n == 0) return ImportErr::NotMovieFile;  // the file shrank under us
    out = out.subspan(std::size_t(n));
    offset += std::uint64_t(n);
  }
  return ImportErr::None;
}

}  // namespace mediaimport
