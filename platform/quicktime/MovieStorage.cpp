#include "platform/quicktime/MovieStorage.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/quicktime/QtErrors.h"

OSErr MovieStorage::Append(const std::string& path, const std::uint8_t* bytes, std::uint64_t count,
                           std::uint64_t& offset) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return fnfErr;
  struct stat info;
  OSErr err = ::fstat(fd, &info) == 0 ? OSErr(noErr) : OSErr(ioErr);
  offset = std::uint64_t(info.st_size);
  for (std::uint64_t at = offset; err == noErr && count > 0;) {
    const ssize_t n = ::pwrite(fd, bytes, count, off_t(at));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) err = OSErr(errno == ENOSPC ? dskFulErr : ioErr);
    if (n > 0) {
      bytes += n;
      at += std::uint64_t(n);
      count -= std::uint64_t(n);
    }
  }
  ::close(fd);
  return err;
}
