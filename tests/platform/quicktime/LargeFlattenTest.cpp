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
#include "platform/quicktime/model/MovieRecord.h"

// A flatten whose media data passes 4 GiB. The sources are sparse files in
// memory (tmpfs), so the test costs seconds and no disk.
namespace {
constexpr std::uint32_t kRate = 48000, kFrameBytes = 4;
constexpr std::uint64_t kSeconds = 11500;  // each source: 2.2 GB of 16-bit stereo

// A WAV of kSeconds of silence, but for `tone` in its first and last two seconds.
std::string SparseWav(const TempDir& dir, const std::string& name, const std::string& tone) {
  const std::uint64_t data = kSeconds * kRate * kFrameBytes;
  const std::string path = WriteSparseWav(dir.Path(name), {.channels = 2, .rate = kRate}, data);
  std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
  for (const std::uint64_t at : {std::uint64_t(44), 44 + data - tone.size()}) {
    file.seekp(std::streamoff(at));
    file.write(tone.data(), std::streamsize(tone.size()));
  }
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
    Track sound = GetMovieIndTrack(first.get(), 1), book = EmptyCopy(sound, work.get());
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
  EXPECT_EQ(FfprobeSays(out, "stream=duration_ts"), std::to_string(2 * kSeconds * kRate) + "\n");
  const std::string lowMd5 = Md5Of("cat " + Quote(low)), highMd5 = Md5Of("cat " + Quote(high));
  EXPECT_EQ(DecodedAt(out, 0), lowMd5);
  EXPECT_EQ(DecodedAt(out, kSeconds - 2), lowMd5);
  EXPECT_EQ(DecodedAt(out, kSeconds), highMd5);
  EXPECT_EQ(DecodedAt(out, 2 * kSeconds - 2), highMd5);
  EXPECT_EQ(ReaderSays("ffmpeg -v error -ss " + std::to_string(2 * kSeconds - 30) + " -i " + Quote(out) +
                       " -f null - 2>&1"),
            "");
}

TEST(LargeFlatten, MediaPastFourBillionUnitsGetsAWideHeaderOnlyThere) {
  TempDir dir;
  const std::string mp3 = dir.Path("frames.mp3"), out = dir.Path("long.mov");
  MustRun("ffmpeg -v error -f lavfi -i sine=f=500:r=44100:d=1 -c:a libmp3lame -b:a 64k -write_xing 0 -id3v2_version 0 " +
          Quote(mp3));
  OwnedMovie frames = OpenMovie(mp3), work = NewWorkingMovie(dir.Path("work.mov"));
  Media from = GetTrackMedia(GetMovieIndTrack(frames.get(), 1));
  std::vector<std::uint8_t> description;
  GetMediaSampleDescription(from, 1, &description);
  const SampleTable& table = from->samples;
  Track track = NewMovieTrack(work.get(), 0, 0, 0x100);
  Media media = NewTrackMedia(track, Tag("soun"), 44100, DataRefFor(mp3).get(), AliasDataHandlerSubType);
  ASSERT_NE(media, nullptr);
  // three frames that each last 2,000,000,000 units: 6e9 in all, past what 32 bits hold
  TimeValue at = 0;
  std::uint32_t size = 0;
  for (std::uint64_t i = 0, offset = table.Chunks()[0].offset; i < 3; offset += size, ++i) {
    ASSERT_EQ(table.SampleSize(i, size), noErr);
    ASSERT_EQ(AddMediaSampleReference(media, long(offset), size, 2'000'000'000, &description, 1, 0, &at), noErr);
    EXPECT_EQ(at, TimeValue(i) * 2'000'000'000);
  }
  // a duration that the sample table cannot hold is refused, not shortened
  EXPECT_EQ(AddMediaSampleReference(media, 0, 104, TimeValue(1) << 32, &description, 1, 0, &at), paramErr);
  EXPECT_EQ(GetMediaDuration(media), 6'000'000'000);
  ASSERT_EQ(InsertMediaIntoTrack(track, 0, 0, GetMediaDuration(media), fixed1), noErr);
  FlattenTo(work.get(), out);
  EXPECT_EQ(FfprobeSays(out, "stream=time_base,duration_ts"), "1/44100,6000000000\n");
  OwnedMovie read = OpenMovie(out);
  EXPECT_EQ(GetMediaDuration(GetTrackMedia(GetMovieIndTrack(read.get(), 1))), 6'000'000'000);
  EXPECT_EQ(GetMovieDuration(read.get()), 81'632'654);  // 6e9 / 44100 * 600 rounded up, which 32 bits hold
  // only the media header needs version 1
  const std::string bytes = ReadFile(out);
  EXPECT_EQ(bytes[bytes.find("mdhd") + 4], 1);
  EXPECT_EQ(bytes[bytes.find("mvhd") + 4], 0);
  EXPECT_EQ(bytes[bytes.find("tkhd") + 4], 0);
}
