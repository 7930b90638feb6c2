#include "platform/helper/TemporaryFiles.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <set>
#include <string>

namespace {
constexpr char kAdd = '+', kForget = '-', kNormalEnd = '=';

// The watcher: reads the list from its end of the socket until the program
// closes it, and removes what is left unless the program said it ended well.
[[noreturn]] void Watch(int from) {
  std::set<std::string> files;
  std::string pending;
  bool normalEnd = false;
  char buffer[4096];
  for (;;) {
    const ssize_t n = read(from, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    pending.append(buffer, std::size_t(n));
    for (std::size_t end; (end = pending.find('\n')) != std::string::npos; pending.erase(0, end + 1)) {
      const std::string name = pending.substr(1, end - 1);
      if (pending[0] == kAdd) files.insert(name);
      if (pending[0] == kForget) files.erase(name);
      if (pending[0] == kNormalEnd) normalEnd = true;
    }
  }
  if (!normalEnd)
    for (const std::string& file : files) unlink(file.c_str());
  _exit(0);
}

class Watcher {
 public:
  static Watcher& Get() {
    static Watcher watcher;
    return watcher;
  }
  void Tell(char what, const std::string& path) {
    if (socket_ < 0) return;
    const std::string line = what + path + "\n";
    for (std::size_t sent = 0; sent < line.size();) {
      const ssize_t n = send(socket_, line.data() + sent, line.size() - sent, MSG_NOSIGNAL);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return;
      sent += std::size_t(n);
    }
  }

 private:
  Watcher() {
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) return;
    const pid_t pid = fork();
    if (pid == 0) {
      // The watcher keeps nothing of the program open but its end of the socket,
      // so that no one waiting on the program's output waits on it.
      for (int fd = 0; fd < 1024; ++fd)
        if (fd != ends[1]) close(fd);
      setsid();  // a terminal's Ctrl-C stops the program, not its watcher
      Watch(ends[1]);
    }
    close(ends[1]);
    if (pid < 0) {
      close(ends[0]);
      return;
    }
    socket_ = ends[0];
    std::atexit([] { Get().Tell(kNormalEnd, ""); });
  }

  int socket_ = -1;
};
}  // namespace

void TemporaryFiles::Add(const std::string& path) { Watcher::Get().Tell(kAdd, path); }

void TemporaryFiles::Forget(const std::string& path) { Watcher::Get().Tell(kForget, path); }
