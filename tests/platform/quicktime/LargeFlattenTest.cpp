#include <gtest/gtest.h>
#include <sys/statvfs.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "TestSupport.h"
#include "ToolboxTestSupport.h"
#include "platform/quicktime/Movies.h"

// A flatten whose media data passes 4 GiB. The sources are sparse files in
// memory (tmpfs), so the test costs seconds and no disk.
namespace {
constexpr std::uint32_t kRate = 48000, kFrameBytes = 4;
constexpr std::uint64_t kSeconds = 11500;  // each source: 2.2 GB of 16-bit stereo

void PutLittle(std::string& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += char(value >> (8 * i));
}

// A WAV of kSeconds of silence, but for `tone` in its first and last two seconds.
std::string SparseWav(const TempDir& dir, const std::string& name, const std::string& tone) {
  const std::uint64_t data = kSeconds * kRate * kFrameBytes;
  std::string head = "RIFF";
  PutLittle(head, std::uint32_t(data + 36), 4);
  head += "WAVEfmt ";
  PutLittle(head, 16, 4);
  PutLittle(head, 1, 2);
  PutLittle(head, 2, 2);
  PutLittle(head, kRate, 4);
  PutLittle(head, kRate * kFrameBytes, 4);
  PutLittle(head, kFrameBytes, 2);
  PutLittle(head, 16, 2);
  head += "data";
  PutLittle(head, std::uint32_t(data), 4);
  const std::string path = dir.Path(name);
  {
    std::ofstream out(path, std::ios::binary);
    out.write(head.data(), std::streamsize(head.size()));
    out.write(tone.data(), std::streamsize(tone.size()));
  }
  std::filesystem::resize_file(path, head.size() + data);
  std::fstream end(path, std::ios::binary | std::ios::in | std::ios::out);
  end.seekp(std::streamoff(head.size() + data - tone.size()));
  end.write(tone.data(), std::streamsize(tone.size()));
  return path;
}

std::string Md5Of(const std::string& command) { return ReaderSays(command + " | md5sum"); }

// Two seconds of the file's sound from `second` on, as ffmpeg decodes them.
std::string DecodedAt(const std::string& path, std::uint64_t second) {
  return Md5Of("ffmpeg -v error -ss " + std::to_string(second) + " -i " + Quote(path) + " -t 2 -f s16le -");
}

std::uint64_t AvailableBytes(const char* folder) {
  struct statvfs fs {};
  return statvfs(folder, &fs) == 0 ? std::uint64_t(fs.f_bavail) * fs.f_frsize : 0;
}
}  // namespace

TEST(LargeFlatten, OffsetsPast4GiBAreWrittenWide) {
  if (AvailableBytes("/dev/shm") < (std::uint64_t(7) << 30)) GTEST_SKIP() << "needs 7 GiB free in /dev/shm";
  const char* saved = std::getenv("TMPDIR");
  const std::string before = saved ? saved : "";
  setenv("TMPDIR", "/dev/shm", 1);
  TempDir dir;
  saved ? setenv("TMPDIR", before.c_str(), 1) : unsetenv("TMPDIR");

  const auto tone = [&](const std::string& name, const std::string& sines) {
    MustRun("sox -D -n -r 48000 -c 2 -b 16 -t raw " + Quote(dir.Path(name)) + " synth 2 " + sines);
    return dir.Path(name);
  };
  const std::string low = tone("low.raw", "sine 440 sine 550"), high = tone("high.raw", "sine 880 sine 990");
  const std::string a = SparseWav(dir, "a.wav", ReadFile(low)), b = SparseWav(dir, "b.wav", ReadFile(high));
  const std::string out = dir.Path("book.mov");
  {
    OwnedMovie first = OpenMovie(a), second = OpenMovie(b), work = NewWorkingMovie(dir.Path("work.mov"));
    Track sound = GetMovieIndTrack(first.get(), 1), book = nullptr;
    ASSERT_EQ(AddEmptyTrackToMovie(sound, work.get(), nullptr, 0, &book), noErr);
    for (Track part : {sound, GetMovieIndTrack(second.get(), 1)})
      ASSERT_EQ(InsertTrackSegment(part, book, 0, GetTrackDuration(part), -1), noErr);
    FlattenTo(work.get(), out);
  }
  std::filesystem::remove(a);
  std::filesystem::remove(b);
  ASSERT_GT(std::filesystem::file_size(out), std::uint64_t(1) << 32);
  // the chunk offsets are 64-bit, and each points at its own samples: the tones sit where the sources had them
  std::string head(1 << 20, '\0');
  std::ifstream(out, std::ios::binary).read(head.data(), std::streamsize(head.size()));
  EXPECT_NE(head.find("co64"), std::string::npos);
  EXPECT_EQ(head.find("stco"), std::string::npos);
  EXPECT_EQ(ReaderSays("ffprobe -v error -show_entries stream=duration_ts -of csv=p=0 " + Quote(out)),
            std::to_string(2 * kSeconds * kRate) + "\n");
  const std::string lowMd5 = Md5Of("cat " + Quote(low)), highMd5 = Md5Of("cat " + Quote(high));
  EXPECT_EQ(DecodedAt(out, 0), lowMd5);
  EXPECT_EQ(DecodedAt(out, kSeconds - 2), lowMd5);
  EXPECT_EQ(DecodedAt(out, kSeconds), highMd5);
  EXPECT_EQ(DecodedAt(out, 2 * kSeconds - 2), highMd5);
  EXPECT_EQ(ReaderSays("ffmpeg -v error -ss " + std::to_string(2 * kSeconds - 30) + " -i " + Quote(out) +
                       " -f null - 2>&1"),
            "");
}
