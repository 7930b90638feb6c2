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
// The same run, not waited for: its process id, -1 when it could not start.
int StartTolva(const std::vector<std::string>& args, const std::string& cwd, const std::string& home,
               const std::map<std::string, std::string>& env = {});

// Everything a shell command prints on standard output (stderr dropped).
std::string ReaderSays(const std::string& command);
// What ffprobe says of `entries` ("stream=codec_name,sample_rate") as CSV
// lines, of the streams `streams` selects ("a:0") or of all.
std::string FfprobeSays(const std::string& file, const std::string& entries, const std::string& streams = "");
// The md5 of the sound as ffmpeg decodes it.
std::string AudioMd5(const std::string& file);
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
bool Contains(const std::string& text, const std::string& part);
std::vector<std::string> Lines(const std::string& text);

// Numbers as files store them.
std::string LittleEndian(std::uint64_t value, int bytes);
std::uint32_t Big32At(const std::string& bytes, std::size_t at);
void PutBig32(std::string& bytes, std::size_t at, std::uint32_t value);

// A WAV (RF64 when `rf64`) of `dataBytes` of silence; sparse, so it costs no disk.
struct WavFormat {
  std::uint16_t tag = 1, channels = 1;
  std::uint32_t rate = 44100;
  std::uint16_t bits = 16;
};
std::string WriteSparseWav(const std::string& path, const WavFormat& format, std::uint64_t dataBytes,
                           bool rf64 = false);

// Two movies that ffmpeg writes from generated signals lasting `seconds`, in
// `dir`: an AAC "tone.m4a" and a "mixed.mov" of PCM sound and MJPEG pictures.
struct FfmpegMovies {
  std::string m4a, mov;
};
FfmpegMovies MakeFfmpegMovies(const TempDir& dir, int seconds);
