#include "TestSupport.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

namespace fs = std::filesystem;
extern char** environ;

TempDir::TempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string tmpl = std::string(base && *base ? base : "/tmp") + "/tolva-test-XXXXXX";
  if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
  path_ = tmpl;
}

TempDir::~TempDir() {
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(path_, ec); !ec && it != fs::recursive_directory_iterator(); ++it)
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);  // undo read-only test files
  fs::remove_all(path_, ec);
}

std::string TempDir::Write(const std::string& name, const std::string& bytes) const {
  const std::string full = Path(name);
  fs::create_directories(fs::path(full).parent_path());
  std::ofstream(full, std::ios::binary) << bytes;
  return full;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream all;
  all << in.rdbuf();
  return all.str();
}

int StartTolva(const std::vector<std::string>& args, const std::string& cwd, const std::string& home,
               const std::map<std::string, std::string>& env) {
  std::map<std::string, std::string> vars;
  for (char** e = environ; *e; ++e) {
    const std::string kv = *e;
    const auto eq = kv.find('=');
    if (eq != std::string::npos) vars[kv.substr(0, eq)] = kv.substr(eq + 1);
  }
  vars["HOME"] = home;
  vars["XDG_CONFIG_HOME"] = home + "/.config";
  vars["XDG_DATA_HOME"] = home + "/.local/share";
  vars["XDG_RUNTIME_DIR"] = home;
  vars["TOLVA_LOCK_DIR"] = home;
  vars.erase("TOLVA_TRACE");
  for (const auto& [k, v] : env) vars[k] = v;
  std::vector<std::string> envStrings;
  for (const auto& [k, v] : vars) envStrings.push_back(k + "=" + v);

  const std::string outPath = home + "/.run-stdout", errPath = home + "/.run-stderr";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());

  std::vector<std::string> argStrings{TOLVA_BIN};
  argStrings.insert(argStrings.end(), args.begin(), args.end());
  std::vector<char*> argv, envp;
  for (auto& a : argStrings) argv.push_back(a.data());
  for (auto& e : envStrings) envp.push_back(e.data());
  argv.push_back(nullptr);
  envp.push_back(nullptr);
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, TOLVA_BIN, &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  return rc == 0 ? pid : -1;
}

RunResult RunTolva(const std::vector<std::string>& args, const std::string& cwd, const std::string& home,
                   const std::map<std::string, std::string>& env) {
  RunResult result;
  const pid_t pid = StartTolva(args, cwd, home, env);
  if (pid < 0) return result;
  int status = 0;
  waitpid(pid, &status, 0);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  result.out = ReadFile(home + "/.run-stdout");
  result.err = ReadFile(home + "/.run-stderr");
  return result;
}

std::string ReaderSays(const std::string& command) {
  std::string out;
  // Grouped, so that a command's own 2>&1 still reaches us.
  if (FILE* p = popen(("{ " + command + "\n} 2>/dev/null").c_str(), "r")) {
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
    pclose(p);
  }
  return out;
}

std::string FfprobeSays(const std::string& file, const std::string& entries, const std::string& streams) {
  return ReaderSays("ffprobe -v error " + (streams.empty() ? "" : "-select_streams " + streams + " ") +
                    "-show_entries " + entries + " -of csv=p=0 " + Quote(file));
}

std::string AudioMd5(const std::string& file) {
  return ReaderSays("ffmpeg -v error -i " + Quote(file) + " -map 0:a -f md5 -");
}

std::string DecodeErrors(const std::string& file) {
  return ReaderSays("ffmpeg -v error -i " + Quote(file) + " -map 0:a -f null - 2>&1");
}

double PeakDb(const std::string& file, double from, double to) {
  const std::string said = ReaderSays("ffmpeg -hide_banner -i " + Quote(file) + " -map 0:a -af atrim=" +
                                      std::to_string(from) + ":" + std::to_string(to) +
                                      ",volumedetect -f null - 2>&1");
  const std::size_t at = said.find("max_volume: ");
  return at == std::string::npos ? 0 : std::stod(said.substr(at + 12));
}

double DurationOf(const std::string& file) {
  const std::string d = ReaderSays("ffprobe -v error -show_entries format=duration -of csv=p=0 " + Quote(file));
  return d.empty() || d == "N/A\n" ? -1 : std::stod(d);
}

void MustRun(const std::string& command) {
  const int rc = std::system((command + " >/dev/null 2>&1").c_str());
  ASSERT_EQ(rc, 0) << "command failed: " << command;
}

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string LittleEndian(std::uint64_t value, int bytes) {
  std::string s;
  for (int i = 0; i < bytes; ++i) s += char((value >> (8 * i)) & 0xFF);
  return s;
}

std::uint32_t Big32At(const std::string& b, std::size_t at) {
  return std::uint32_t(std::uint8_t(b[at])) << 24 | std::uint32_t(std::uint8_t(b[at + 1])) << 16 |
         std::uint32_t(std::uint8_t(b[at + 2])) << 8 | std::uint8_t(b[at + 3]);
}

void PutBig32(std::string& b, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) b[at + std::size_t(i)] = char(value >> (24 - 8 * i));
}

std::string WriteSparseWav(const std::string& path, const WavFormat& f, std::uint64_t dataBytes, bool rf64) {
  const std::uint32_t frame = f.channels * f.bits / 8u;
  const auto le = LittleEndian;
  std::string header = rf64 ? "RF64" + le(0xFFFFFFFF, 4) + "WAVEds64" + le(28, 4) + le(dataBytes + 72, 8) +
                                  le(dataBytes, 8) + le(dataBytes / frame, 8) + le(0, 4)
                            : "RIFF" + le(36 + dataBytes, 4) + "WAVE";
  header += "fmt " + le(16, 4) + le(f.tag, 2) + le(f.channels, 2) + le(f.rate, 4) + le(f.rate * frame, 4) +
            le(frame, 2) + le(f.bits, 2) + "data" + le(rf64 ? 0xFFFFFFFF : dataBytes, 4);
  std::ofstream(path, std::ios::binary) << header;
  fs::resize_file(path, header.size() + dataBytes);
  return path;
}

std::vector<std::uint8_t> ExtradataOf(const std::string& path) {
  std::istringstream dump(ReaderSays("ffprobe -v error -show_data -show_entries stream=extradata -of default " +
                                     Quote(path)));
  std::vector<std::uint8_t> bytes;
  for (std::string line; std::getline(dump, line);) {
    if (line.size() < 10 || line[8] != ':') continue;  // "00000000: 1188 56e5 00    ..V.."
    std::istringstream words(line.substr(10, 40));
    for (std::string w; words >> w;)
      for (std::size_t i = 0; i + 1 < w.size(); i += 2)
        bytes.push_back(std::uint8_t(std::stoi(w.substr(i, 2), nullptr, 16)));
  }
  return bytes;
}

FfmpegMovies MakeFfmpegMovies(const TempDir& dir, int seconds) {
  const FfmpegMovies movies{dir.Path("tone.m4a"), dir.Path("mixed.mov")};
  const std::string length = std::to_string(seconds);
  MustRun("ffmpeg -v error -f lavfi -i sine=frequency=330:duration=" + length + " -c:a aac -b:a 96k " + Quote(movies.m4a));
  MustRun("ffmpeg -v error -f lavfi -i sine=duration=" + length + ":sample_rate=22050 -f lavfi -i testsrc=size=64x48:duration=" +
          length + ":rate=5 -c:a pcm_s16le -c:v mjpeg " + Quote(movies.mov));
  return movies;
}
