#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "TestSupport.h"

namespace {
std::string Little(std::uint64_t v, int width) {
  std::string s;
  for (int i = 0; i < width; ++i) s += char(v >> (8 * i));
  return s;
}

// An RF64 file of `frames` frames of 8-bit mono at `rate`; sparse, so that
// its silence costs no disk.
std::string SparseRf64(const TempDir& dir, const std::string& name, std::uint32_t rate, std::uint64_t frames) {
  std::string header = "RF64" + Little(0xFFFFFFFF, 4) + "WAVE";
  header += "ds64" + Little(28, 4) + Little(frames + 72 - 8, 8) + Little(frames, 8) + Little(frames, 8) + Little(0, 4);
  header += "fmt " + Little(16, 4) + Little(1, 2) + Little(1, 2) + Little(rate, 4) + Little(rate, 4) + Little(1, 2) +
            Little(8, 2);
  header += "data" + Little(0xFFFFFFFF, 4);
  const std::string path = dir.Write(name, header);
  EXPECT_EQ(::truncate(path.c_str(), off_t(header.size() + frames)), 0);
  return path;
}

// The frames of the duration "hh:mm:ss.units" that `-fi` gives in the fifth
// field of its line, at `rate`.
std::uint64_t ReportedFrames(const std::string& report, std::uint64_t rate) {
  std::size_t at = report.find('\t');
  for (int field = 0; field < 3 && at != std::string::npos; ++field) at = report.find('\t', at + 1);
  unsigned long long h = 0, m = 0, s = 0, units = 0;
  if (at == std::string::npos || std::sscanf(report.c_str() + at + 1, "%llu:%llu:%llu.%llu", &h, &m, &s, &units) != 4)
    return 0;
  return ((h * 60 + m) * 60 + s) * rate + units;
}

std::uint64_t ProbedFrames(const std::string& path) {
  return std::stoull("0" + ReaderSays("ffprobe -v error -select_streams a:0 -show_entries stream=duration_ts -of csv=p=0 " +
                                      Quote(path)));
}
}  // namespace

// Past 13.5 hours and past 2^32 frames, nothing is cut: the report, the copy
// and ffprobe all count every frame, and the copy's last minute plays.
TEST(LongInputs, Rf64SoundKeepsEveryFrameThroughReportAndCopy) {
  TempDir dir, home;
  constexpr std::uint32_t kRate = 44100;
  for (const std::uint64_t hours : {14, 28}) {
    SCOPED_TRACE(std::to_string(hours) + " hours");
    const std::uint64_t frames = hours * 3600 * kRate + 777;
    const std::string wav = SparseRf64(dir, "long.wav", kRate, frames);
    ASSERT_EQ(ProbedFrames(wav), frames);

    const RunResult report = RunTolva({wav, "-fi"}, dir.path(), home.path());
    EXPECT_EQ(report.status, 0) << report.err;
    EXPECT_EQ(ReportedFrames(report.out, kRate), frames) << report.out;

    const RunResult copy = RunTolva({wav, "-t2"}, dir.path(), home.path());
    ASSERT_EQ(copy.status, 0) << copy.err;
    const std::string mov = dir.Path("test.mov");
    EXPECT_EQ(ProbedFrames(mov), frames);
    EXPECT_EQ(ReportedFrames(RunTolva({mov, "-fi"}, dir.path(), home.path()).out, kRate), frames);
    const std::string lastMinute = ReaderSays("ffmpeg -nostdin -v error -ss " + std::to_string(hours * 3600 - 60) + " -i " +
                                              Quote(mov) + " -f u8 - 2>&1 >/dev/null | head -c 300; echo ok");
    EXPECT_EQ(lastMinute, "ok\n");
    const std::string heard = ReaderSays("ffmpeg -nostdin -v error -ss " + std::to_string(hours * 3600 - 60) + " -i " +
                                         Quote(mov) + " -f u8 - | wc -c");
    EXPECT_EQ(std::stoull("0" + heard), 60 * kRate + 777);
    std::filesystem::remove(mov);
    std::filesystem::remove(wav);
  }
}
