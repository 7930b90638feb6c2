#include "platform/quicktime/atoms/FileOrigin.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/helper/PendingFile.h"
#include "platform/quicktime/QtErrors.h"

std::shared_ptr<const FileOrigin> FileOrigin::Of(std::string path, const struct stat& info) {
  return std::shared_ptr<const FileOrigin>(new FileOrigin(std::move(path), info));
}

FileOrigin::FileOrigin(std::string path, const struct stat& info)
    : path_(std::move(path)), device_(info.st_dev), inode_(info.st_ino), size_(info.st_size), modified_(info.st_mtim) {}

bool FileOrigin::Same(const struct stat& info) const {
  return info.st_dev == device_ && info.st_ino == inode_ && info.st_size == size_ &&
         info.st_mtim.tv_sec == modified_.tv_sec && info.st_mtim.tv_nsec == modified_.tv_nsec;
}

int FileOrigin::OpenUnchanged(std::uint64_t needed, OSErr& err, std::string& why) const {
  const std::string named = "source file \"" + path_ + "\"";
  const int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    err = couldNotResolveDataRef;
    why = named + " cannot be opened: " + FileErrorText(errno);
    return -1;
  }
  struct stat info;
  if (::fstat(fd, &info) != 0 || !Same(info)) {
    const bool shorter = ::fstat(fd, &info) == 0 && std::uint64_t(info.st_size) < needed;
    err = shorter ? OSErr(eofErr) : OSErr(couldNotResolveDataRef);
    why = named + (shorter ? " is shorter than its sample table says" : " has changed since it was opened");
    ::close(fd);
    return -1;
  }
  return fd;
}
