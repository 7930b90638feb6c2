#include "platform/helper/UFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

bool UFile::Open(const std::string& name, std::uint32_t access, std::uint32_t share, std::uint32_t) {
  return OpenWith(name, 0, access, share);
}

bool UFile::Create(const std::string& name, std::uint32_t disposition, std::uint32_t access, std::uint32_t share,
                   std::uint32_t) {
  int flags = 0;
  switch (disposition) {
    case CREATE_NEW: flags = O_CREAT | O_EXCL; break;
    case CREATE_ALWAYS: flags = O_CREAT | O_TRUNC; break;
    case OPEN_ALWAYS: flags = O_CREAT; break;
    case TRUNCATE_EXISTING: flags = O_TRUNC; break;
    default: break;
  }
  return OpenWith(name, flags, access, share);
}

bool UFile::OpenWith(const std::string& name, int flags, std::uint32_t access, std::uint32_t share) {
  Close();
  const bool reading = access & GENERIC_READ, writing = access & GENERIC_WRITE;
  struct stat st;
  if (writing && stat(name.c_str(), &st) == 0 && (st.st_mode & 0222) == 0) {
    error_ = EACCES;  // read-only, even for root
    return false;
  }
  const int mode = writing ? (reading ? O_RDWR : O_WRONLY) : O_RDONLY;
  fd_ = open(name.c_str(), mode | flags | O_CLOEXEC, 0666);
  if (fd_ < 0) {
    error_ = errno;
    return false;
  }
  const auto fail = [this](int error) {
    error_ = error;
    Close();
    return false;
  };
  if (fstat(fd_, &st) != 0) return fail(errno);
  if (S_ISDIR(st.st_mode)) return fail(EISDIR);
  const bool alone = (share & (FILE_SHARE_READ | FILE_SHARE_WRITE)) == 0;
  if (flock(fd_, (alone ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) return fail(errno);
  return true;
}

std::int64_t UFile::Read(void* buffer, std::size_t count) { return ReadFully(buffer, count, std::nullopt); }

std::int64_t UFile::ReadAt(std::uint64_t offset, void* buffer, std::size_t count) {
  return ReadFully(buffer, count, offset);
}

std::int64_t UFile::ReadFully(void* buffer, std::size_t count, std::optional<std::uint64_t> offset) {
  std::size_t done = 0;
  while (Ready() && done < count) {
    char* into = static_cast<char*>(buffer) + done;
    const ssize_t n = offset ? pread(fd_, into, count - done, off_t(*offset + done)) : read(fd_, into, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      error_ = errno;
      return -1;
    }
    if (n == 0) break;
    done += std::size_t(n);
  }
  return Ready() ? std::int64_t(done) : -1;
}

std::int64_t UFile::Write(const void* buffer, std::size_t count) {
  std::size_t done = 0;
  while (Ready() && done < count) {
    const ssize_t n = write(fd_, static_cast<const char*>(buffer) + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error_ = errno;
      return -1;
    }
    done += std::size_t(n);
  }
  return Ready() ? std::int64_t(done) : -1;
}

std::int64_t UFile::GetFileSize() const {
  struct stat st;
  return Ready() && fstat(fd_, &st) == 0 ? std::int64_t(st.st_size) : -1;
}

void UFile::Close() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
}
