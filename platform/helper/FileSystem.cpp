#include "platform/helper/FileSystem.h"

#include <fcntl.h>
#include <glob.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/helper/PendingFile.h"
#include "platform/helper/TemporaryFiles.h"

namespace fs = std::filesystem;

namespace {
UString EnvOr(const char* name, const std::string& fallback) {
  const char* v = std::getenv(name);
  return UString(v && *v ? std::string(v) : fallback);
}

UString HomeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home) return UString(home);
  const passwd* pw = getpwuid(getuid());
  return UString(pw && pw->pw_dir ? pw->pw_dir : "/tmp");
}

// `xdg-user-dir DOCUMENTS` when the user has set one, else ~/Documents.
UString DocumentsFolder() {
  const UString home = HomeFolder();
  if (FILE* p = popen("xdg-user-dir DOCUMENTS 2>/dev/null", "r")) {
    char line[PATH_MAX] = {};
    const bool got = std::fgets(line, sizeof line, p) != nullptr;
    pclose(p);
    std::string dir = got ? line : "";
    while (!dir.empty() && (dir.back() == '\n' || dir.back() == '/')) dir.pop_back();
    if (!dir.empty() && dir != home) return UString(dir);
  }
  return UString(home + "/Documents");
}

UString JoinPath(std::string folder, std::string sub) {
  std::replace(sub.begin(), sub.end(), '\\', '/');
  while (!folder.empty() && folder.back() == '/') folder.pop_back();
  while (!sub.empty() && sub.front() == '/') sub.erase(0, 1);
  return UString(sub.empty() ? folder : folder + "/" + sub);
}

bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// Compares runs of digits by value and everything else without regard to case.
bool NaturalLess(const std::string& a, const std::string& b) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      const std::size_t i0 = i, j0 = j;
      while (i < a.size() && IsDigit(a[i])) ++i;
      while (j < b.size() && IsDigit(b[j])) ++j;
      std::string x = a.substr(i0, i - i0), y = b.substr(j0, j - j0);
      x.erase(0, std::min(x.find_first_not_of('0'), x.size()));
      y.erase(0, std::min(y.find_first_not_of('0'), y.size()));
      if (x.size() != y.size()) return x.size() < y.size();
      if (x != y) return x < y;
      continue;
    }
    const int ca = std::tolower(static_cast<unsigned char>(a[i])), cb = std::tolower(static_cast<unsigned char>(b[j]));
    if (ca != cb) return ca < cb;
    ++i, ++j;
  }
  if ((a.size() - i) != (b.size() - j)) return (a.size() - i) < (b.size() - j);
  return a < b;  // equal but for case or leading zeros: a fixed order all the same
}
}  // namespace

UString GetProgramFolder() {
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return UString("./");
  return UString(exe.parent_path().string() + "/");
}

UString GetCurrentDirectoryA() {
  char buf[PATH_MAX];
  return UString(getcwd(buf, sizeof buf) ? buf : ".");
}

bool SetCurrentDirectoryA(const std::string& folder) { return chdir(folder.c_str()) == 0; }

UString GetSpecialFolder(int csidl, const std::string& sub) {
  switch (csidl) {
    case CSIDL_APPDATA: return JoinPath(EnvOr("XDG_CONFIG_HOME", HomeFolder() + "/.config"), sub);
    case CSIDL_PERSONAL: return JoinPath(DocumentsFolder(), sub);
    case CSIDL_COMMON_TEMPLATES:
      return JoinPath(EnvOr("XDG_DATA_HOME", HomeFolder() + "/.local/share") + "/templates", sub);
    default: return JoinPath(HomeFolder(), sub);
  }
}

UString GetUserNameA() {
  if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_name && *pw->pw_name) return UString(pw->pw_name);
  return EnvOr("USER", "");
}

bool FileExists(const std::string& path) {
  struct stat st;
  return !path.empty() && stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirExists(const std::string& path) {
  struct stat st;
  return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool GetFileIdentity(const std::string& path, FileIdentity& identity) {
  struct stat st;
  if (path.empty() || stat(path.c_str(), &st) != 0) return false;
  identity = FileIdentity{.device = std::uint64_t(st.st_dev), .inode = std::uint64_t(st.st_ino)};
  return true;
}

bool SameFile(const std::string& a, const std::string& b) {
  FileIdentity first, second;
  return GetFileIdentity(a, first) && GetFileIdentity(b, second) && first == second;
}

bool CreatePath(const std::string& path, bool lastIsFile) {
  const fs::path target = lastIsFile ? fs::path(path).parent_path() : fs::path(path);
  if (target.empty()) return true;
  std::error_code ec;
  fs::create_directories(target, ec);
  return DirExists(target.string());
}

bool DeleteFileA(const std::string& path) {
  const bool deleted = unlink(path.c_str()) == 0;
  if (deleted || errno == ENOENT) TemporaryFiles::Forget(path);
  return deleted;
}

bool IsWild(const std::string& path) { return path.find_first_of("*?") != std::string::npos; }

int ExpandWild(const std::string& pattern, StdStringList& files) {
  glob_t g{};
  const int rc = glob(pattern.c_str(), 0, nullptr, &g);
  int count = 0;
  if (rc == 0) {
    for (std::size_t i = 0; i < g.gl_pathc; ++i) {
      if (!FileExists(g.gl_pathv[i])) continue;
      files.push_back(UString(g.gl_pathv[i]));
      ++count;
    }
  }
  globfree(&g);
  return count > 0 ? count : -1;
}

void SortAsFileNames(StdStringList& files) { std::stable_sort(files.begin(), files.end(), NaturalLess); }

UString FileNamePart(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return UString(slash == std::string::npos ? path : path.substr(slash + 1));
}

UString FileExtPart(const std::string& name) {
  const std::string base = FileNamePart(name);
  const std::size_t dot = base.find_last_of('.');
  return UString(dot == std::string::npos ? std::string() : base.substr(dot + 1));
}

UString PathNamePart(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return UString(slash == std::string::npos ? std::string() : path.substr(0, slash + 1));
}

bool LooksLikeFullPath(const std::string& path) { return !path.empty() && path[0] == '/'; }

bool MakeFullPath(UString& path, const std::string& folder) {
  if (!LooksLikeFullPath(path)) {
    UString base(folder);
    path = AddTrailingSlash(base) + path;
  }
  return FileExists(path);
}

UString& AddTrailingSlash(UString& folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

bool FileNamesEqual(const std::string& a, const std::string& b) { return a == b; }

UString ToSlashPath(const std::string& path) {
  UString out(path);
  std::replace(out.begin(), out.end(), '\\', '/');
  return out;
}

UString GetTempFileNameA(const std::string& folder, const std::string& prefix) {
  UString dir(folder.empty() ? EnvOr("TMPDIR", "/tmp") : UString(folder));
  std::string name = AddTrailingSlash(dir) + prefix + "XXXXXX";
  const int fd = mkstemp(name.data());
  if (fd < 0) return UString();
  close(fd);
  TemporaryFiles::Add(name);
  return UString(name);
}

UString GetTempFileNameA(const std::string& folder, const std::string& prefix, const std::string& ext) {
  if (ext.empty()) return GetTempFileNameA(folder, prefix);
  UString dir(folder.empty() ? EnvOr("TMPDIR", "/tmp") : UString(folder));
  const std::string suffix = "." + ext;
  std::string name = AddTrailingSlash(dir) + prefix + "XXXXXX" + suffix;
  const int fd = mkstemps(name.data(), int(suffix.size()));
  if (fd < 0) return UString();
  close(fd);
  TemporaryFiles::Add(name);
  return UString(name);
}

void AddPathToEnvironment(const std::string& folder) {
  const char* old = std::getenv("PATH");
  std::string dir = folder;
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  const std::string value = old && *old ? dir + ":" + old : dir;
  setenv("PATH", value.c_str(), 1);
}

bool ReadWholeFile(const std::string& path, std::string& bytes) {
  if (!FileExists(path)) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream all;
  all << in.rdbuf();
  bytes = std::move(all).str();
  return !in.bad();
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
  struct stat st;
  const bool existed = stat(path.c_str(), &st) == 0;
  PendingFile file;
  if (!file.Open(path)) return false;
  if (existed && fchmod(file.Handle(), st.st_mode & 07777) != 0) return false;  // a rewrite keeps the old mode
  return file.Write(bytes) && file.Commit();
}
