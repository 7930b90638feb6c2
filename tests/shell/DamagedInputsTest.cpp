#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <thread>

#include "DamagedMedia.h"
#include "TestSupport.h"

namespace {
struct Heard {
  bool clean = false;  // decoded without a word on standard error
  double seconds = 0;
};

// What ffmpeg hears in the first sound stream of a file, at 48 kHz mono.
Heard Decode(const std::string& path, const std::string& errors) {
  const std::string bytes = ReaderSays("ffmpeg -nostdin -v error -i " + Quote(path) +
                                       " -map 0:a:0 -ac 1 -ar 48000 -f s16le - 2>" + Quote(errors) + " | wc -c");
  const long count = std::atol(bytes.c_str());
  return {count > 0 && ReadFile(errors).empty(), double(count) / 2 / 48000};
}

// The duration `-fi2` reports, in seconds, and the rate it gives.
std::optional<double> ReportedSeconds(const std::string& report, int& rate) {
  const std::size_t rateAt = report.find("Sample Rate: "), durationAt = report.find("Duration:    ");
  if (rateAt == std::string::npos || durationAt == std::string::npos) return std::nullopt;
  rate = std::atoi(report.c_str() + rateAt + 13);
  int h = 0, m = 0, s = 0;
  long units = 0;
  if (rate <= 0 || std::sscanf(report.c_str() + durationAt + 13, "%d:%d:%d.%ld", &h, &m, &s, &units) != 4)
    return std::nullopt;
  return h * 3600.0 + m * 60.0 + s + double(units) / rate;
}

struct Outcome {
  bool decodable = false, read = false, copied = false, refusalSaid = true;
  std::string detail;
};

// One file through -fi2 and -t2, measured against what ffmpeg hears in it.
Outcome Check(const DamagedFile& file, const TempDir& work, const TempDir& home) {
  Outcome outcome;
  const Heard source = Decode(file.path, work.Path("source.err"));
  outcome.decodable = source.clean;
  std::filesystem::remove(work.Path("test.mov"));
  const RunResult run = RunTolva({file.path, "-fi2", "-t2"}, work.path(), home.path());
  int rate = 0;
  const std::optional<double> reported = ReportedSeconds(run.out, rate);
  const double frame = 1152.0 / std::max(rate, 8000) + 2.0 / 48000;  // the longest frame of these formats
  outcome.read = reported && std::abs(*reported - source.seconds) <= frame;
  const bool made = std::filesystem::exists(work.Path("test.mov"));
  const Heard copy = made ? Decode(work.Path("test.mov"), work.Path("copy.err")) : Heard{};
  outcome.copied = copy.clean && std::abs(copy.seconds - source.seconds) <= frame;
  outcome.refusalSaid = run.status == 0 || !run.err.empty();
  outcome.detail = file.how + ": ffmpeg hears " + std::to_string(source.seconds) + " s, -fi2 " +
                   (reported ? std::to_string(*reported) : "nothing") + ", the copy " + std::to_string(copy.seconds) +
                   " s (status " + std::to_string(run.status) + ") " + run.err.substr(0, 300);
  return outcome;
}
}  // namespace

// Files that players play are read and copied whole, whatever their damage;
// a file refused says why.
TEST(DamagedInputs, WhatFfmpegDecodesIsReadAndCopiedWhole) {
  TempDir dir;
  const std::vector<DamagedFile> corpus = MakeDamagedCorpus(dir);
  ASSERT_GT(corpus.size(), 200u);
  std::vector<Outcome> outcomes(corpus.size());
  std::vector<std::thread> workers;
  constexpr std::size_t kWorkers = 2;
  for (std::size_t w = 0; w < kWorkers; ++w)
    workers.emplace_back([&, w] {
      TempDir work, home;
      for (std::size_t i = w; i < corpus.size(); i += kWorkers) outcomes[i] = Check(corpus[i], work, home);
    });
  for (std::thread& worker : workers) worker.join();

  std::size_t decodable = 0, whole = 0;
  std::string failures;
  for (const Outcome& outcome : outcomes) {
    EXPECT_TRUE(outcome.refusalSaid) << outcome.detail;
    if (!outcome.decodable) continue;
    ++decodable;
    if (outcome.read && outcome.copied)
      ++whole;
    else
      failures += outcome.detail + "\n";
  }
  ASSERT_GT(decodable, corpus.size() / 2);
  EXPECT_GE(double(whole), 0.95 * double(decodable)) << whole << " of " << decodable << " whole:\n" << failures;
  std::printf("%zu files, %zu decoded by ffmpeg, %zu of them read and copied whole\n", corpus.size(), decodable, whole);
}

TEST(DamagedInputs, CodecsAMovieCannotCarryAreNamedWithAWayOut) {
  TempDir dir, home;
  for (const RefusedFile& file : MakeRefusedCodecs(dir)) {
    const RunResult report = RunTolva({file.path, "-fi"}, dir.path(), home.path());
    EXPECT_NE(report.err.find(file.codec), std::string::npos) << report.err;
    EXPECT_NE(report.err.find("pcm_s16le"), std::string::npos) << report.err;
    EXPECT_NE(report.err.find("unable to open media file"), std::string::npos) << report.err;
    const RunResult copy = RunTolva({file.path, "-t2"}, dir.path(), home.path());
    EXPECT_EQ(copy.status, 2);
    EXPECT_NE(copy.err.find(file.codec), std::string::npos) << copy.err;
  }
}

TEST(DamagedInputs, RepairsAreSaidWhenTheFileOpensAndInTheReport) {
  TempDir dir, home;
  const std::string whole = dir.Path("whole.mp3");
  MustRun("ffmpeg -v error -f lavfi -i sine=duration=0.5 -c:a libmp3lame -id3v2_version 0 " + Quote(whole));
  const std::string junked = dir.Write("junked.mp3", std::string(417, 'j') + ReadFile(whole));
  const RunResult report = RunTolva({junked, whole, "-fi2"}, dir.path(), home.path());
  EXPECT_EQ(report.status, 0);
  EXPECT_EQ(report.err, junked + ": repaired while reading: 417 bytes before the first frame were skipped\n");
  const std::size_t duration = report.out.find("Duration:"), repaired = report.out.find("Repaired:    417 bytes before");
  ASSERT_NE(repaired, std::string::npos) << report.out;
  EXPECT_EQ(report.out.find('\n', duration) + 1, repaired);  // the line after the duration
  EXPECT_EQ(report.out.find("Repaired:"), report.out.rfind("Repaired:"));  // the whole file has nothing to say
}
