#include "platform/quicktime/MovieStorage.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>

#include "platform/helper/PendingFile.h"
#include "platform/helper/TemporaryFiles.h"
#include "platform/quicktime/QtErrors.h"

namespace {
// The working files open now, by the name each had.
std::map<std::string, int>& Working() {
  static std::map<std::string, int> files;
  return files;
}

int Found(const std::string& path) {
  const auto found = Working().find(path);
  return found == Working().end() ? -1 : found->second;
}

OSErr WriteErr(int error) {
  if (error == ENOSPC || error == EDQUOT) return dskFulErr;
  return error == EACCES || error == EPERM || error == EROFS ? OSErr(wrPermErr) : OSErr(ioErr);
}
}  // namespace

OSErr WorkingFile::Create(const std::string& path, bool replace, std::shared_ptr<WorkingFile>& file,
                          std::string& why) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | (replace ? O_TRUNC : 0), 0600);
  if (fd < 0) {
    const int error = errno;
    why = "working file \"" + path + "\" cannot be created: " + FileErrorText(error);
    return error == ENOENT || error == ENOTDIR ? OSErr(fnfErr) : WriteErr(error);
  }
  ::unlink(path.c_str());
  TemporaryFiles::Forget(path);
  file.reset(new WorkingFile(path, fd));
  Working()[path] = fd;
  return noErr;
}

WorkingFile::~WorkingFile() {
  if (Found(path_) == fd_) Working().erase(path_);
  ::close(fd_);
}

OSErr MovieStorage::Append(const std::string& path, const std::uint8_t* bytes, std::uint64_t count,
                           std::uint64_t& offset) {
  const int working = Found(path);
  const int fd = working >= 0 ? working : ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return fnfErr;
  struct stat info;
  OSErr err = ::fstat(fd, &info) == 0 ? OSErr(noErr) : OSErr(ioErr);
  offset = std::uint64_t(info.st_size);
  for (std::uint64_t at = offset; err == noErr && count > 0;) {
    const ssize_t n = ::pwrite(fd, bytes, count, off_t(at));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) err = WriteErr(errno);
    if (n > 0) {
      bytes += n;
      at += std::uint64_t(n);
      count -= std::uint64_t(n);
    }
  }
  if (working < 0) ::close(fd);
  return err;
}

int MovieStorage::OpenForReading(const std::string& path) {
  const int working = Found(path);
  return working >= 0 ? ::fcntl(working, F_DUPFD_CLOEXEC, 0) : ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
}
