#include "platform/win32/NamedSemaphore.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace {
std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v && *v ? std::string(v) : std::string();
}

// The semaphore is an exclusive lock on a file of the user's own: in the
// folder that TOLVA_LOCK_DIR names (tests), else the runtime folder, else /tmp.
std::string LockFilePath(const std::string& name) {
  std::string folder = Env("TOLVA_LOCK_DIR");
  if (folder.empty()) folder = Env("XDG_RUNTIME_DIR");
  if (folder.empty()) return "/tmp/" + name + "-" + std::to_string(getuid()) + ".lock";
  return folder + "/" + name + ".lock";
}
}  // namespace

NamedSemaphore::~NamedSemaphore() {
  if (fd_ >= 0) close(fd_);
}

bool NamedSemaphore::Create(const std::string& name) {
  // Close-on-exec, so that programs we start do not keep the lock after we end.
  fd_ = open(LockFilePath(name).c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd_ < 0) return false;
  if (flock(fd_, LOCK_EX | LOCK_NB) == 0) return true;
  alreadyExists_ = errno == EWOULDBLOCK;
  return alreadyExists_;
}
