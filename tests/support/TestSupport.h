#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

// What the tests share: temporary folders, runs of the real program, and the
// words of the independent readers (ffprobe, mediainfo, ...).

// A fresh folder under $TMPDIR, removed with everything in it at the end.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string Path(const std::string& name) const { return path_ + "/" + name; }
  // Writes `bytes` to `name` (folders made as needed); the full path.
  std::string Write(const std::string& name, const std::string& bytes) const;

 private:
  std::string path_;
};

struct RunResult {
  int status = -1;  // exit status; 128 + signal when killed
  std::string out, err;
};

// Runs the tolva program in `cwd` with a private HOME, XDG folders and lock
// folder under `home`, so tests never touch the user's files or each other.
RunResult RunTolva(const std::vector<std::string>& args, const std::string& cwd, const std::string& home,
                   const std::map<std::string, std::string>& env = {});

// Everything a shell command prints on standard output (stderr dropped).
std::string ReaderSays(const std::string& command);
// What ffmpeg complains of while decoding the sound: nothing for a clean stream.
std::string DecodeErrors(const std::string& file);
// The loudest sample between two times (seconds), in dB as ffmpeg measures it.
double PeakDb(const std::string& file, double from, double to);
// The file's duration in seconds as ffprobe reports it, -1 when it reports none.
double DurationOf(const std::string& file);
// Runs a shell command that must succeed (to make test media); fails the test otherwise.
void MustRun(const std::string& command);
std::string ReadFile(const std::string& path);
// The extradata of a file's first stream, as ffprobe's hex dump shows it.
std::vector<std::uint8_t> ExtradataOf(const std::string& path);
std::string Quote(const std::string& s);  // for a shell

// Two movies that ffmpeg writes from generated signals lasting `seconds`, in
// `dir`: an AAC "tone.m4a" and a "mixed.mov" of PCM sound and MJPEG pictures.
struct FfmpegMovies {
  std::string m4a, mov;
};
FfmpegMovies MakeFfmpegMovies(const TempDir& dir, int seconds);
