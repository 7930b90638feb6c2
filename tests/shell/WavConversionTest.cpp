// The command cw4 through the real program: the files it hands the encoder,
// what comes out, and every way it refuses.
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace {
const std::string kNotFound =
    "  unable to locate neroAacEnc.exe to convert audio file\n\n"
    "    to convert WAV files to MP4 audio files you must install the Nero\n"
    "    command line utility \"neroAacEnc.exe\"\n";

class WavConversion : public testing::Test {
 protected:
  RunResult Run(const std::vector<std::string>& args) { return RunTolva(args, dir.path(), home.path()); }

  // A copy of the program in a folder of its own, beside whatever encoder
  // the test puts there, started with a path that holds no other encoder.
  RunResult RunCopy(const std::vector<std::string>& args) {
    std::string command = "cd " + Quote(dir.path()) + " && env PATH=/usr/bin:/bin HOME=" + Quote(home.path()) +
                          " XDG_CONFIG_HOME=" + Quote(home.path()) + " TOLVA_LOCK_DIR=" + Quote(home.path()) + " " +
                          Quote(programDir.Path("tolva"));
    for (const std::string& a : args) command += " " + Quote(a);
    command += " >" + Quote(home.Path("out")) + " 2>" + Quote(home.Path("err"));
    const int rc = std::system(command.c_str());
    return {WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, ReadFile(home.Path("out")), ReadFile(home.Path("err"))};
  }
  void CopyProgram() {
    std::filesystem::copy_file(TOLVA_BIN, programDir.Path("tolva"));
  }
  void FakeEncoder(const std::string& script, int mode) {
    const std::string path = programDir.Path("neroAacEnc");
    programDir.Write("neroAacEnc", script);
    chmod(path.c_str(), mode);
  }
  void Tone(const std::string& name, const std::string& lavfiSource) {
    MustRun("ffmpeg -v error -f lavfi -i " + lavfiSource + " " + Quote(dir.Path(name)));
  }

  TempDir dir, home, programDir;
};
}  // namespace

TEST_F(WavConversion, ConvertsIntoTheDestinationAndJoinsInOrder) {
  Tone("talk.wav", "sine=frequency=300:sample_rate=22050:duration=2.3");
  RunResult r = Run({"-dp", dir.Path("out"), "-cw4", "talk.wav"});
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(r.err, "");
  const std::string talk = dir.Path("out/talk.mp4");
  EXPECT_EQ(FfprobeSays(talk, "stream=codec_name,sample_rate,channels"), "aac,22050,1\n");
  EXPECT_NEAR(DurationOf(talk), 2.3, 1024.0 / 22050);
  EXPECT_EQ(DecodeErrors(talk), "");

  // Two inputs to one named output: silence first, then a tone, at 44.1 kHz stereo.
  MustRun("sox -n -r 44100 -c 2 -b 16 " + Quote(dir.Path("a quiet [1].wav")) + " trim 0 1.0");
  Tone("b.wav", "sine=frequency=500:sample_rate=44100:duration=0.6 -ac 2");
  r = Run({"-af", "song.mp4", "-cw4", "a quiet [1].wav", "b.wav"});
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_NEAR(DurationOf(dir.Path("song.mp4")), 1.6, 1024.0 / 44100);
  EXPECT_LT(PeakDb(dir.Path("song.mp4"), 0.0, 0.9), -60);
  EXPECT_GT(PeakDb(dir.Path("song.mp4"), 1.1, 1.5), -24);
  EXPECT_FALSE(std::filesystem::exists(dir.Path("a quiet [1].mp4")));
}

TEST_F(WavConversion, EverySampleFormatConverts) {
  const std::vector<std::pair<std::string, std::string>> kinds = {
      {"u8.wav", "-c:a pcm_u8"},       {"float.wav", "-c:a pcm_f32le"}, {"s24.wav", "-c:a pcm_s24le"},
      {"mulaw.wav", "-c:a pcm_mulaw"}, {"adpcm.wav", "-c:a adpcm_ms"},  {"rf64.wav", "-c:a pcm_s16le -rf64 always"}};
  for (const auto& [name, codec] : kinds) {
    SCOPED_TRACE(name);
    Tone(name, "sine=frequency=440:sample_rate=16000:duration=1.5 " + codec);
    const RunResult r = Run({"-cw4", name});
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    const std::string out = dir.Path(name.substr(0, name.size() - 4) + ".mp4");
    EXPECT_EQ(FfprobeSays(out, "stream=codec_name,sample_rate"), "aac,16000\n");
    EXPECT_NEAR(DurationOf(out), 1.5, 2048.0 / 16000);  // ADPCM blocks round the length up
    EXPECT_EQ(DecodeErrors(out), "");
  }
}

TEST_F(WavConversion, RefusesWhatItCannotConvert) {
  Tone("ok.wav", "sine=duration=0.5");
  dir.Write("notes.wav", "just some text, no RIFF header\n");
  RunResult r = Run({"-cw4", "ok.wav", "gone.wav"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "the audio file \"gone.wav\" does not exist\n");
  r = Run({"-cw4", "notes.wav"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "the file \"notes.wav\" is not a WAVE file\n");
  std::filesystem::copy_file(dir.Path("ok.wav"), dir.Path("locked.wav"));
  chmod(dir.Path("locked.wav").c_str(), 0444);
  r = Run({"-cw4", "locked.wav"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "the file \"locked.wav\" is not a WAVE file\n");
  r = Run({"-cw4", "-do"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "the command cw4 needs at least one WAVE file\n");

  // A header that passes the test but that the encoder cannot read: lower-case
  // tags, and a format chunk cut short.
  dir.Write("lower.wav", std::string("riff\x24\0\0\0wavefmt \x10\0\0\0", 20) + std::string(2000, '\x01'));
  dir.Write("cut.wav", std::string("RIFF\x24\0\0\0WAVEfmt \x10\0\0\0\x01\0", 22));
  for (const std::string name : {"lower.wav", "cut.wav"}) {
    SCOPED_TRACE(name);
    r = Run({"-cw4", name});
    EXPECT_EQ(r.status, 3);
    EXPECT_TRUE(Contains(r.out, "error \"the encoder ended with status 1\" attempting to execute neroAacEnc.exe\n"))
        << r.out;
    EXPECT_TRUE(r.err.starts_with("neroAacEnc: ")) << r.err;
  }
  EXPECT_FALSE(std::filesystem::exists(dir.Path("lower.mp4")));
  EXPECT_FALSE(std::filesystem::exists(dir.Path("cut.mp4")));
}

TEST_F(WavConversion, AnExistingOutputNeedsDo) {
  Tone("ok.wav", "sine=duration=0.5");
  dir.Write("ok.mp4", "an older file");
  RunResult r = Run({"-cw4", "ok.wav"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "the audio file \"" + dir.Path("ok.mp4") +
                       "\" already exists\n  use -do to allow file to be overwritten\n");
  EXPECT_EQ(ReadFile(dir.Path("ok.mp4")), "an older file");
  r = Run({"-cw4", "ok.wav", "-do"});
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_NEAR(DurationOf(dir.Path("ok.mp4")), 0.5, 1024.0 / 44100);
}

TEST_F(WavConversion, EncoderMissingUnusableOrFailing) {
  Tone("ok.wav", "sine=duration=0.5");
  CopyProgram();
  RunResult r = RunCopy({"-cw4", "ok.wav"});
  EXPECT_EQ(r.status, 3);
  EXPECT_TRUE(r.out.ends_with(kNotFound)) << r.out;

  FakeEncoder("#!/bin/sh\nexit 0\n", 0644);
  r = RunCopy({"-cw4", "ok.wav"});
  EXPECT_EQ(r.status, 3);
  EXPECT_TRUE(r.out.ends_with("error \"Specified file is not executable or has invalid executable-file format.\" "
                              "attempting to execute neroAacEnc.exe\n"))
      << r.out;

  // An encoder that writes part of its output, then fails: nothing is left.
  FakeEncoder("#!/bin/sh\nfor a; do last=$a; done\necho partial > \"$last\"\nexit 4\n", 0755);
  r = RunCopy({"-cw4", "ok.wav"});
  EXPECT_EQ(r.status, 3);
  EXPECT_TRUE(r.out.ends_with("error \"the encoder ended with status 4\" attempting to execute neroAacEnc.exe\n"))
      << r.out;
  EXPECT_FALSE(std::filesystem::exists(dir.Path("ok.mp4")));

  // The argument text as the encoder receives it, one word to a line.
  FakeEncoder("#!/bin/sh\nprintf '%s\\n' \"$@\" > args.txt\n", 0755);
  std::filesystem::copy_file(dir.Path("ok.wav"), dir.Path("two words.wav"));
  r = RunCopy({"-dp", "out", "-cw4", "ok.wav", "two words.wav"});
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(ReadFile(dir.Path("args.txt")), "-if\nok.wav\n-if\ntwo words.wav\n-of\nout/ok.mp4\n");
}

// An RF64 file past 4 GiB: 64-bit samples on eight channels keep the encoding
// short, and a sparse file keeps the disk free.
TEST_F(WavConversion, Rf64PastFourGiB) {
  // 68 750 000 frames of 64 bytes: 8593.75 s at 8 kHz
  WriteSparseWav(dir.Path("big.wav"), {.tag = 3, .channels = 8, .rate = 8000, .bits = 64}, 4'400'000'000, true);
  const RunResult r = Run({"-cw4", "big.wav"});
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(FfprobeSays(dir.Path("big.mp4"), "stream=codec_name,sample_rate,channels"), "aac,8000,8\n");
  EXPECT_NEAR(DurationOf(dir.Path("big.mp4")), 8593.75, 1024.0 / 8000);
}
