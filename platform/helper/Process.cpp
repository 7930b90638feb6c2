#include "platform/helper/Process.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <vector>

#include "platform/helper/StdStringList.h"

extern char** environ;

namespace {
int SpawnError(int e) {
  switch (e) {
    case ENOENT: case ENOTDIR: return 2;
    case E2BIG: return 7;
    case ENOEXEC: case EACCES: return 8;
    case ENOMEM: return 12;
    default: return 22;
  }
}

int Start(const std::string& program, const StdStringList& words, pid_t& pid) {
  std::vector<char*> argv;
  std::string name = program;
  argv.push_back(name.data());
  std::vector<std::string> copies(words.begin(), words.end());
  for (std::string& w : copies) argv.push_back(w.data());
  argv.push_back(nullptr);
  return posix_spawnp(&pid, name.c_str(), nullptr, nullptr, argv.data(), environ);
}
}  // namespace

int Spawn(const std::string& program, const std::string& arguments, bool detach, int* exitStatus) {
  StdStringList words;
  words.SplitAndAppend(arguments.c_str(), nullptr, nullptr, 3);
  pid_t pid = 0;
  int rc = Start(program, words, pid);
  const std::string exe = ".exe";
  if (rc == ENOENT && program.size() > exe.size() && program.ends_with(exe))
    rc = Start(program.substr(0, program.size() - exe.size()), words, pid);
  if (rc != 0) return SpawnError(rc);
  if (detach) return 0;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (exitStatus) *exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return 0;
}
