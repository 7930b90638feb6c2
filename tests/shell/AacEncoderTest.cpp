// The encoder program the build makes beside tolva, and the silence padding
// files it makes with it, as ffprobe and ffmpeg read them.
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace {
const std::string kEncoder = std::string(TOLVA_BIN_DIR) + "/neroAacEnc";

struct EncoderRun {
  int status;
  std::string err;
};

EncoderRun Encode(const TempDir& dir, const std::string& args) {
  const std::string errFile = dir.Path("encoder.err");
  const int rc = std::system((Quote(kEncoder) + " " + args + " 2>" + Quote(errFile)).c_str());
  return {WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, ReadFile(errFile)};
}

// Whatever is left in `dir` besides the names given: stray partial outputs.
std::vector<std::string> Leftovers(const TempDir& dir, const std::vector<std::string>& expected) {
  std::vector<std::string> left;
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
    const std::string name = e.path().filename();
    if (std::find(expected.begin(), expected.end(), name) == expected.end()) left.push_back(name);
  }
  return left;
}
}  // namespace

TEST(SilencePadding, EveryRateIsThirtySecondsOfMonoAac) {
  for (int rate : {8000, 11025, 16000, 22050, 24000, 32000, 44100, 48000}) {
    SCOPED_TRACE(rate);
    const std::string file = std::string(TOLVA_BIN_DIR) + "/30ss" + std::to_string(rate) + ".mp4";
    ASSERT_TRUE(std::filesystem::exists(file));
    EXPECT_EQ(FfprobeSays(file, "stream=codec_name,sample_rate,channels"), "aac," + std::to_string(rate) + ",1\n");
    EXPECT_NEAR(DurationOf(file), 30.0, 1.0 / rate);
    EXPECT_EQ(DecodeErrors(file), "");
  }
}

TEST(AacEncoder, JoinsInputsOfAnyPcmKindInOrder) {
  TempDir dir;
  // Silence, then a loud tone, then quiet noise: the order shows in the levels.
  MustRun("sox -n -r 44100 -c 2 -b 16 " + Quote(dir.Path("quiet one.wav")) + " trim 0 1.5");
  MustRun("ffmpeg -v error -f lavfi -i sine=frequency=880:sample_rate=48000:duration=1.25 -ac 2 -c:a pcm_u8 " +
          Quote(dir.Path("loud.wav")));
  MustRun("ffmpeg -v error -f lavfi -i anoisesrc=amplitude=0.01:sample_rate=44100:duration=0.75 -c:a pcm_f32le "
          "-rf64 always " + Quote(dir.Path("noise64.wav")));
  const std::string out = dir.Path("joined.mp4");
  const EncoderRun r = Encode(dir, "-if " + Quote(dir.Path("quiet one.wav")) + " -if " + Quote(dir.Path("loud.wav")) +
                                       " -if " + Quote(dir.Path("noise64.wav")) + " -of " + Quote(out));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(FfprobeSays(out, "format=nb_streams"), "1\n");
  EXPECT_EQ(FfprobeSays(out, "stream=codec_name,sample_rate,channels"), "aac,44100,2\n");
  EXPECT_NEAR(DurationOf(out), 3.5, 1024.0 / 44100);
  EXPECT_EQ(DecodeErrors(out), "");
  EXPECT_LT(PeakDb(out, 0.1, 1.4), -60);
  EXPECT_GT(PeakDb(out, 1.6, 2.6), -24);
  const double noise = PeakDb(out, 2.85, 3.4);
  EXPECT_LT(noise, -30);
  EXPECT_GT(noise, -60);
  EXPECT_EQ(Leftovers(dir, {"quiet one.wav", "loud.wav", "noise64.wav", "joined.mp4", "encoder.err"}),
            std::vector<std::string>{});
}

TEST(AacEncoder, QualitySwitchesSetTheRate) {
  TempDir dir;
  MustRun("ffmpeg -v error -f lavfi -i anoisesrc=sample_rate=32000:duration=4 -ac 2 " + Quote(dir.Path("n.wav")));
  const std::string in = "-if " + Quote(dir.Path("n.wav"));
  auto bitRate = [&](const std::string& file) { return std::stod(FfprobeSays(file, "format=bit_rate")); };

  ASSERT_EQ(Encode(dir, in + " -br 48000 -of " + Quote(dir.Path("low.mp4"))).status, 0);
  ASSERT_EQ(Encode(dir, in + " -lc -cbr 160000 -of " + Quote(dir.Path("high.mp4"))).status, 0);
  ASSERT_EQ(Encode(dir, in + " -q 0.25 -of " + Quote(dir.Path("vbr.mp4"))).status, 0);
  ASSERT_EQ(Encode(dir, in + " -q 0.9 -of " + Quote(dir.Path("vbr high.mp4"))).status, 0);
  EXPECT_NEAR(bitRate(dir.Path("low.mp4")), 48000, 12000);
  EXPECT_NEAR(bitRate(dir.Path("high.mp4")), 160000, 40000);
  EXPECT_GT(bitRate(dir.Path("vbr high.mp4")), 1.5 * bitRate(dir.Path("vbr.mp4")));
  EXPECT_EQ(FfprobeSays(dir.Path("vbr.mp4"), "stream=codec_name,sample_rate,channels"), "aac,32000,2\n");
  EXPECT_EQ(DecodeErrors(dir.Path("vbr.mp4")), "");
}

TEST(AacEncoder, RefusesBadInputAndLeavesNothingBehind) {
  TempDir dir;
  MustRun("sox -n -r 22050 -c 1 -b 16 " + Quote(dir.Path("ok.wav")) + " trim 0 0.5");
  dir.Write("broken.wav", std::string("RIFF\x24\0\0\0WAVEfmt \x10\0\0\0garbage", 27));
  const std::string out = Quote(dir.Path("out.mp4"));
  const std::string ok = "-if " + Quote(dir.Path("ok.wav"));

  EncoderRun r = Encode(dir, ok + " -if " + Quote(dir.Path("missing.wav")) + " -of " + out);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("missing.wav"), std::string::npos) << r.err;
  r = Encode(dir, ok + " -if " + Quote(dir.Path("broken.wav")) + " -of " + out);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("broken.wav"), std::string::npos) << r.err;

  for (const std::string& args : {ok + " -he -of " + out, ok + " -hev2 -of " + out, ok + " -q 1.5 -of " + out,
                                  ok + " -br fast -of " + out, ok + " -x -of " + out, ok, "-of " + out, ok + " -of"}) {
    SCOPED_TRACE(args);
    r = Encode(dir, args);
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.starts_with("neroAacEnc: ")) << r.err;
  }
  EXPECT_NE(Encode(dir, ok + " -he -of " + out).err.find("AAC LC only"), std::string::npos);

  // An unwritable folder: the output and its partial file are both absent.
  r = Encode(dir, ok + " -of " + Quote(dir.Path("no such folder/out.mp4")));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(Leftovers(dir, {"ok.wav", "broken.wav", "encoder.err"}), std::vector<std::string>{});
}
