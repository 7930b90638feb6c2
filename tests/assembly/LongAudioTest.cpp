#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "TestSupport.h"

// Files that run past 2^31 units of their sample rate (13.5 hours at 44.1 kHz)
// must keep every sample through the report and the copy. A short file is
// made once and its frames repeated, so the long one costs only disk space.
namespace {
std::string Repeated(const TempDir& dir, const std::string& shortFile, const std::string& name, int times) {
  const std::string bytes = ReadFile(shortFile);
  const std::string path = dir.Path(name);
  std::ofstream out(path, std::ios::binary);
  for (int i = 0; i < times; ++i) out.write(bytes.data(), std::streamsize(bytes.size()));
  return path;
}

long long PacketsOf(const std::string& path) {
  return std::stoll(ReaderSays("ffprobe -v error -count_packets -show_entries stream=nb_read_packets -of csv=p=0 " +
                               Quote(path)));
}

std::string DurationTs(const std::string& path) {
  return FfprobeSays(path, "stream=sample_rate,duration_ts");
}

struct LongFile {
  const char* name;
  std::string encode;  // ffmpeg arguments making 10 s of the short file
  int samplesPerFrame;
  int rate;
  const char* packetFormat;  // how ffmpeg writes the packets out, to compare source and copy
};

class LongAudio : public ::testing::TestWithParam<LongFile> {};
}  // namespace

TEST_P(LongAudio, KeepsItsWholeDurationThroughReportAndCopy) {
  const LongFile& kind = GetParam();
  TempDir dir, home;
  const std::string piece = dir.Path(std::string("piece.") + kind.name);
  MustRun("ffmpeg -v error " + kind.encode + " " + Quote(piece));
  const int copies = 5040;  // 10 s each: 14 hours
  const long long samples = PacketsOf(piece) * kind.samplesPerFrame * copies;
  ASSERT_GT(samples, (1LL << 31) + kind.rate);
  // the short file's copy holds every frame, whole and in order
  ASSERT_EQ(RunTolva({piece, "-t2"}, dir.path(), home.path()).status, 0);
  const auto packets = [&](const std::string& path) {
    return ReaderSays("ffmpeg -v error -i " + Quote(path) + " -map 0:a -c copy -f " + kind.packetFormat + " - | md5sum");
  };
  EXPECT_EQ(packets(dir.Path("test.mov")), packets(piece));
  std::remove(dir.Path("test.mov").c_str());
  const std::string long_ = Repeated(dir, piece, std::string("long.") + kind.name, copies);
  std::remove(piece.c_str());

  const long long seconds = samples / kind.rate, rest = samples % kind.rate;
  char duration[64];
  std::snprintf(duration, sizeof duration, "%02lld:%02lld:%02lld.%02lld\t%lld", seconds / 3600, seconds / 60 % 60,
                seconds % 60, rest, seconds);
  const RunResult report = RunTolva({long_, "-fi"}, dir.path(), home.path());
  ASSERT_EQ(report.status, 0) << report.err;
  EXPECT_NE(report.out.find(std::string("\t") + std::to_string(kind.rate) + "\t" + duration), std::string::npos)
      << report.out;

  const RunResult copy = RunTolva({long_, "-t2"}, dir.path(), home.path());
  ASSERT_EQ(copy.status, 0) << copy.err;
  const std::string out = dir.Path("test.mov");
  std::remove(long_.c_str());
  EXPECT_EQ(DurationTs(out), std::to_string(kind.rate) + "," + std::to_string(samples) + "\n");
  const RunResult reread = RunTolva({"test.mov", "-fi"}, dir.path(), home.path());
  EXPECT_NE(reread.out.find(duration), std::string::npos) << reread.out;
  // the last minute decodes, and it is a whole minute
  const std::string tail = ReaderSays("ffmpeg -v error -ss " + std::to_string(seconds - 60) + " -i " + Quote(out) +
                                      " -map 0:a -f null - 2>&1 && echo decoded");
  EXPECT_EQ(tail, "decoded\n");
  const std::string lastMinute = ReaderSays("ffmpeg -v error -ss " + std::to_string(seconds - 60) + " -i " +
                                            Quote(out) + " -map 0:a -f s16le - | wc -c");
  EXPECT_NEAR(std::stod(lastMinute) / 2, double(samples - (seconds - 60) * kind.rate), kind.samplesPerFrame);
}

INSTANTIATE_TEST_SUITE_P(
    Mp3AndAdts, LongAudio,
    ::testing::Values(LongFile{"mp3",
                               "-f lavfi -i sine=f=330:r=44100:d=10 -ac 1 -c:a libmp3lame -b:a 32k -write_xing 0 "
                               "-id3v2_version 0",
                               1152, 44100, "data"},
                      LongFile{"aac", "-f lavfi -i sine=f=440:r=48000:d=1,apad=whole_dur=10 -ac 1 -c:a aac -b:a 8k", 1024,
                               48000, "adts"}),
    [](const ::testing::TestParamInfo<LongFile>& info) { return std::string(info.param.name); });
