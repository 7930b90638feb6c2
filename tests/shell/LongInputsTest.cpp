#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "TestSupport.h"

namespace {
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
  return std::stoull("0" + FfprobeSays(path, "stream=duration_ts", "a:0"));
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
    const std::string wav = WriteSparseWav(dir.Path("long.wav"), {.rate = kRate, .bits = 8}, frames, true);
    ASSERT_EQ(ProbedFrames(wav), frames);

    const RunResult report = RunTolva({wav, "-fi"}, dir.path(), home.path());
    EXPECT_EQ(report.status, 0) << report.err;
    EXPECT_EQ(ReportedFrames(report.out, kRate), frames) << report.out;

    const RunResult copy = RunTolva({wav, "-t2"}, dir.path(), home.path());
    ASSERT_EQ(copy.status, 0) << copy.err;
    const std::string mov = dir.Path("test.mov");
    EXPECT_EQ(ProbedFrames(mov), frames);
    EXPECT_EQ(ReportedFrames(RunTolva({mov, "-fi"}, dir.path(), home.path()).out, kRate), frames);
    // the last minute decodes without a word, every frame of it
    EXPECT_EQ(ReaderSays("ffmpeg -nostdin -v error -ss " + std::to_string(hours * 3600 - 60) + " -i " + Quote(mov) +
                         " -f u8 - 2>&1 | wc -c"),
              std::to_string(60 * kRate + 777) + "\n");
    std::filesystem::remove(mov);
    std::filesystem::remove(wav);
  }
}
