#include "platform/helper/PendingFile.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>

#include "platform/helper/ErrorPrintf.h"
#include "platform/helper/TemporaryFiles.h"

namespace {
constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

// Signals that end the program wait while a file takes its name, so that
// none is left under a stand-in name.
class HeldSignals {
 public:
  HeldSignals() {
    sigset_t held;
    sigemptyset(&held);
    for (int sig : kEndingSignals) sigaddset(&held, sig);
    sigprocmask(SIG_BLOCK, &held, &before_);
  }
  ~HeldSignals() { sigprocmask(SIG_SETMASK, &before_, nullptr); }

 private:
  sigset_t before_;
};

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string StandInName(const std::string& folder) {
  static std::mt19937_64 random{std::random_device{}()};
  char unique[17];
  std::snprintf(unique, sizeof unique, "%016llx", static_cast<unsigned long long>(random()));
  return folder + "/.tolva-" + unique;
}

void SyncFolder(const std::string& folder) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

// A file system that cannot hold an unnamed file answers with one of these.
bool NoUnnamedFiles(int error) { return error == EOPNOTSUPP || error == EISDIR || error == EINVAL; }
}  // namespace

bool PendingFile::Open(const std::string& destination) {
  Discard();
  destination_ = destination;
  error_ = 0;
  struct stat info;
  if (stat(destination.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return Fail(EISDIR);
  const std::string folder = FolderOf(destination);
  fd_ = open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
  if (fd_ >= 0) return true;
  return NoUnnamedFiles(errno) ? OpenNamed(folder) : Fail(errno);
}

bool PendingFile::OpenNamed(const std::string& folder) {
  std::string name = folder + "/.tolva-XXXXXX";
  fd_ = mkstemp(name.data());
  if (fd_ < 0) return Fail(errno);
  named_ = name;
  TemporaryFiles::Add(named_);
  const mode_t mask = umask(0);
  umask(mask);
  return fchmod(fd_, 0666 & ~mask) == 0 || Fail(errno);
}

bool PendingFile::MakeRoomFor(std::size_t count) {
  constexpr rlim_t kHeadroom = 256;  // for what the process has open besides
  struct rlimit limit;
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return false;
  const rlim_t wanted = rlim_t(count) + kHeadroom;
  if (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur >= wanted) return true;
  limit.rlim_cur = limit.rlim_max == RLIM_INFINITY || limit.rlim_max > wanted ? wanted : limit.rlim_max;
  return setrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur == wanted;
}

bool PendingFile::Write(const std::string& bytes) {
  if (fd_ < 0) return Fail(EBADF);
  for (std::size_t done = 0; done < bytes.size();) {
    const ssize_t n = write(fd_, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return Fail(n < 0 ? errno : ENOSPC);
    done += std::size_t(n);
  }
  return true;
}

bool PendingFile::Commit() {
  if (fd_ < 0) return Fail(EBADF);
  if (fsync(fd_) != 0) return Fail(errno);
  {
    HeldSignals held;
    if (named_.empty() ? !LinkInPlace() : rename(named_.c_str(), destination_.c_str()) != 0) return Fail(errno);
    TemporaryFiles::Forget(named_);
    named_.clear();
  }
  SyncFolder(FolderOf(destination_));
  close(fd_);
  fd_ = -1;
  return true;
}

// The unnamed file takes the destination's name: directly when none is there,
// else through a stand-in name renamed over it.
bool PendingFile::LinkInPlace() {
  const std::string self = "/proc/self/fd/" + std::to_string(fd_);
  const auto link = [&](const std::string& to) {
    if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, to.c_str(), AT_SYMLINK_FOLLOW) == 0) return true;
    return errno == ENOENT && access("/proc/self/fd", F_OK) != 0 && linkat(fd_, "", AT_FDCWD, to.c_str(), AT_EMPTY_PATH) == 0;
  };
  if (link(destination_)) return true;
  if (errno != EEXIST) return false;
  std::string standIn;
  for (;;) {
    standIn = StandInName(FolderOf(destination_));
    if (link(standIn)) break;
    if (errno != EEXIST) return false;
  }
  if (rename(standIn.c_str(), destination_.c_str()) == 0) return true;
  const int error = errno;
  unlink(standIn.c_str());
  errno = error;
  return false;
}

void PendingFile::Discard() {
  if (!named_.empty()) {
    unlink(named_.c_str());
    TemporaryFiles::Forget(named_);
    named_.clear();
  }
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
}

bool PendingFile::Fail(int error) {
  error_ = error;
  Discard();
  return false;
}

std::string FileErrorText(int error) {
  switch (error) {
    case ENOSPC:
    case EDQUOT: return "disk full";
    case EACCES:
    case EPERM: return "permission denied";
    case EROFS: return "read-only file system";
    case ENOENT: return "no such file or folder";
    case ENOTDIR: return "a part of the path is not a folder";
    case EISDIR: return "a folder has that name";
    case EWOULDBLOCK: return "the file is in use by another program";
    case EFBIG: return "the file is too large for its file system";
    case EIO: return "input/output error";
    default: return std::strerror(error);
  }
}

std::string FileErrorText(int error, const std::string& path) {
  struct stat info;
  const bool readOnly = stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && (info.st_mode & 0222) == 0;
  return (error == EACCES || error == EPERM) && readOnly ? "read-only file" : FileErrorText(error);
}

namespace {
std::unique_ptr<PendingFile> output;

// Why output that stdio could not write failed, when its errno is long gone.
int WriteFailure(int fd) {
  struct statvfs room;
  return fstatvfs(fd, &room) == 0 && room.f_bavail == 0 ? ENOSPC : EIO;
}

void FinishOutput() {
  if (!output) return;
  const int flushed = std::fflush(stdout) == 0 ? 0 : errno;
  int error = flushed;
  if (!error && std::ferror(stdout)) error = WriteFailure(output->Handle());
  if (!error && !output->Commit()) error = output->LastError();
  if (error) ErrorPrintf("output file \"%s\" was not written: %s\n", output->Destination().c_str(), FileErrorText(error).c_str());
  std::clearerr(stdout);
  output.reset();
}
}  // namespace

bool RedirectOutputWhenWhole(const std::string& path, int& error) {
  static const bool registered = std::atexit(FinishOutput) == 0;
  (void)registered;
  FinishOutput();
  auto next = std::make_unique<PendingFile>();
  if (!next->Open(path)) {
    error = next->LastError();
    return false;
  }
  std::fflush(stdout);
  if (dup2(next->Handle(), STDOUT_FILENO) < 0) {
    error = errno;
    return false;
  }
  output = std::move(next);
  return true;
}
