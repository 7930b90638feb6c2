#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <utility>
#include <vector>

#include "TestSupport.h"
#include "platform/quicktime/QtTypes.h"
#include "platform/quicktime/import/ImportedMedia.h"

namespace {

using Packets = std::vector<std::pair<std::uint64_t, std::uint64_t>>;  // offset, size

std::uint64_t Big(const std::vector<std::uint8_t>& b, std::size_t at, std::size_t width) {
  std::uint64_t v = 0;
  for (std::size_t i = 0; i < width; ++i) v = v << 8 | b.at(at + i);
  return v;
}

// Where every sample lies, by walking the chunks as a movie would.
Packets SamplesOf(const ImportedMedia& m) {
  Packets samples;
  std::uint64_t index = 0;
  for (const ImportedChunk& chunk : m.chunks) {
    std::uint64_t at = chunk.offset;
    for (std::uint32_t i = 0; i < chunk.sampleCount; ++i, ++index) {
      samples.emplace_back(at, m.SampleSize(index));
      at += m.SampleSize(index);
    }
  }
  return samples;
}

// ffprobe's packets as offset and size; `headerBytes` is what it counts and a movie sample does not.
Packets FfprobePackets(const std::string& path, std::uint64_t headerBytes = 0) {
  std::istringstream lines(ReaderSays("ffprobe -v error -select_streams 0 -show_entries packet=size,pos -of csv=p=0 " +
                                      Quote(path)));
  Packets packets;
  std::uint64_t size = 0, pos = 0;
  char comma = 0;
  for (std::string line; std::getline(lines, line);)
    if (std::istringstream(line) >> size >> comma >> pos) packets.emplace_back(pos + headerBytes, size - headerBytes);
  return packets;
}

std::string Probe(const std::string& path, const std::string& entries) {
  return FfprobeSays(path, "stream=" + entries, "0");
}

std::string Expect(std::uint64_t a, std::uint64_t b) { return std::to_string(a) + "," + std::to_string(b) + "\n"; }

ImportedMedia MustImport(const std::string& path, std::uint32_t format) {
  ImportedMedia m;
  EXPECT_EQ(ImportMediaFile(path, m), ImportErr::None) << path;
  EXPECT_EQ(TagText(m.Format()), TagText(format)) << path;
  EXPECT_EQ(m.path, path);
  EXPECT_EQ(m.sampleDescription.size(), Big(m.sampleDescription, 0, 4));
  return m;
}

// Uncompressed sound: one sample per frame of constant size, from the first byte of the data on.
void ExpectPcmMatches(const std::string& path, const ImportedMedia& m, std::uint16_t channels) {
  EXPECT_EQ(Probe(path, "sample_rate,channels"), Expect(m.timeScale, channels)) << path;
  EXPECT_EQ(std::to_string(m.Duration()) + "\n", Probe(path, "duration_ts")) << path;
  EXPECT_EQ(m.constantSampleSize % channels, 0u);
  const Packets packets = FfprobePackets(path);
  ASSERT_FALSE(packets.empty());
  EXPECT_EQ(m.chunks.front().offset, packets.front().first) << path;
  std::uint64_t bytes = 0;
  for (const auto& [offset, size] : packets) bytes += size;
  EXPECT_EQ(m.SampleCount() * m.constantSampleSize, bytes) << path;
  EXPECT_TRUE(m.sampleSizes.empty());
}

}  // namespace

TEST(MediaImporters, WavAndAiffMatchWhatFfprobeReads) {
  TempDir dir;
  struct Case { const char* name; const char* sox; std::uint32_t format; std::uint16_t channels, bits; };
  const std::vector<Case> cases{
      {"s16.wav", "-b 16 -c 2 -r 44100", Tag("sowt"), 2, 16}, {"u8.wav", "-b 8 -c 1 -r 8000", Tag("raw "), 1, 8},
      {"s24.wav", "-b 24 -c 2 -r 48000", Tag("lpcm"), 2, 24}, {"s16hi.wav", "-b 16 -c 1 -r 96000", Tag("lpcm"), 1, 16},
      {"f32.wav", "-e floating-point -b 32 -c 1 -r 22050", Tag("lpcm"), 1, 32},
      {"s16.aiff", "-b 16 -c 2 -r 32000", Tag("twos"), 2, 16}, {"s24.aiff", "-b 24 -c 1 -r 44100", Tag("lpcm"), 1, 24},
      {"s8.aiff", "-b 8 -c 1 -r 11025", Tag("twos"), 1, 8}};
  for (const Case& c : cases) {
    const std::string path = dir.Path(c.name);
    MustRun(std::string("sox -n ") + c.sox + " " + path + " synth 1.2345 sine 300");
    const ImportedMedia m = MustImport(path, c.format);
    EXPECT_EQ(TagText(m.mediaType), "soun");
    EXPECT_EQ(m.constantSampleSize, c.channels * c.bits / 8u) << c.name;
    ExpectPcmMatches(path, m, c.channels);
    if (c.format == Tag("lpcm")) {  // the long form: rate as a double, then channels, bits
      EXPECT_EQ(Big(m.sampleDescription, 16, 2), 2u);
      EXPECT_EQ(Big(m.sampleDescription, 48, 4), c.channels) << c.name;
      EXPECT_EQ(Big(m.sampleDescription, 56, 4), c.bits) << c.name;
    } else {
      EXPECT_EQ(Big(m.sampleDescription, 24, 2), c.channels) << c.name;
      EXPECT_EQ(Big(m.sampleDescription, 26, 2), c.bits) << c.name;
      EXPECT_EQ(Big(m.sampleDescription, 32, 4), std::uint64_t(m.timeScale) << 16) << c.name;
    }
  }
}

TEST(MediaImporters, Mp3FramesMatchFfprobePackets) {
  TempDir dir;
  struct Case { const char* name; const char* options; std::uint32_t rate, samplesPerFrame; std::uint16_t channels; };
  const std::vector<Case> cases{{"cbr.mp3", "-ac 2 -ar 44100 -b:a 128k", 44100, 1152, 2},
                                {"vbr.mp3", "-ac 1 -ar 22050 -q:a 4", 22050, 576, 1},
                                {"bare.mp3", "-ac 2 -ar 48000 -b:a 96k -write_xing 0 -id3v2_version 0", 48000, 1152, 2}};
  for (const Case& c : cases) {
    const std::string path = dir.Path(c.name);
    MustRun(std::string("ffmpeg -v error -f lavfi -i sine=frequency=500:duration=3.3 -c:a libmp3lame ") + c.options + " " +
            path);
    const ImportedMedia m = MustImport(path, Tag(".mp3"));
    EXPECT_EQ(m.timeScale, c.rate);
    EXPECT_EQ(Probe(path, "sample_rate,channels"), Expect(c.rate, c.channels)) << c.name;
    EXPECT_EQ(m.timeToSample, (std::vector<ImportedTimeRun>{{std::uint32_t(m.SampleCount()), c.samplesPerFrame}}));
    EXPECT_EQ(SamplesOf(m), FfprobePackets(path)) << c.name;
    EXPECT_EQ(Big(m.sampleDescription, 24, 2), c.channels);
    EXPECT_EQ(Big(m.sampleDescription, 36, 4), c.samplesPerFrame);
    // What a gapless player hears: from ffmpeg's start time, as many samples as it decodes.
    const std::uint64_t heard = std::stoull(ReaderSays("ffmpeg -v error -i " + path + " -f s16le - | wc -c")) / 2 / c.channels;
    const double start = std::stod(Probe(path, "start_time"));
    if (start == 0) {
      EXPECT_FALSE(m.presented) << c.name;
      EXPECT_EQ(heard, m.Duration()) << c.name;
    } else {
      ASSERT_TRUE(m.presented) << c.name;
      EXPECT_EQ(m.presented->start, std::uint64_t(std::llround(start * c.rate))) << c.name;
      EXPECT_EQ(m.presented->duration, heard) << c.name;
    }
  }
}

TEST(MediaImporters, AdtsFramesMatchFfprobePacketsWithoutTheirHeaders) {
  TempDir dir;
  const std::string path = dir.Path("a.aac");
  MustRun("ffmpeg -v error -f lavfi -i sine=frequency=700:duration=2.5 -ac 2 -ar 24000 -c:a aac -b:a 64k -f adts " + path);
  const ImportedMedia m = MustImport(path, Tag("mp4a"));
  EXPECT_EQ(m.timeScale, 24000u);
  EXPECT_EQ(m.Duration(), m.SampleCount() * 1024);
  EXPECT_EQ(SamplesOf(m), FfprobePackets(path, 7));
  // 'esds' after the 36-byte short form; its decoder configuration says AAC LC, 24 kHz, stereo
  const auto& d = m.sampleDescription;
  ASSERT_GT(d.size(), 36u + 12);
  EXPECT_EQ(TagText(std::uint32_t(Big(d, 40, 4))), "esds");
  EXPECT_EQ(Big(d, 36, 4), d.size() - 36);
  const std::size_t config = d.size() - 3 - 2;  // the two bytes before the sync-layer descriptor
  EXPECT_EQ(Big(d, config - 2, 2), 0x0502u);
  EXPECT_EQ(Big(d, config, 2), (2u << 11) | (6u << 7) | (2u << 3));  // LC, rate index 6, two channels
  EXPECT_EQ(Probe(path, "profile,sample_rate,channels"), "LC,24000,2\n");
}

TEST(MediaImporters, ImagesBecomeOneSampleOfTheWholeFile) {
  TempDir dir;
  struct Case { const char* name; const char* maker; std::uint32_t format; std::uint16_t depth; };
  const std::string ffmpeg = "ffmpeg -v error -f lavfi -i testsrc=size=321x123 -frames:v 1 -pix_fmt ";
  const std::vector<Case> cases{{"c.jpg", "yuvj420p", Tag("jpeg"), 24}, {"c.png", "rgb24", Tag("png "), 24},
                                {"a.png", "rgba", Tag("png "), 32},     {"g.png", "gray", Tag("png "), 40},
                                {"g.jpg", nullptr, Tag("jpeg"), 40}};  // ffmpeg makes no gray JPEG
  for (const Case& c : cases) {
    const std::string path = dir.Path(c.name);
    MustRun(c.maker ? ffmpeg + c.maker + " " + path : "convert -size 321x123 gradient: -colorspace Gray " + path);
    ImportedMedia m;
    ASSERT_EQ(ImportImage(path, m), ImportErr::None) << c.name;
    EXPECT_EQ(TagText(m.Format()), TagText(c.format));
    EXPECT_EQ(Probe(path, "width,height"), Expect(m.width, m.height)) << c.name;
    EXPECT_EQ(m.sampleDescription.size(), 86u);
    EXPECT_EQ(Big(m.sampleDescription, 32, 2), 321u);
    EXPECT_EQ(Big(m.sampleDescription, 82, 2), c.depth) << c.name;
    EXPECT_EQ(SamplesOf(m), (Packets{{0, ReadFile(path).size()}}));
    EXPECT_EQ(TagText(m.mediaType), "vide");
  }
}

TEST(MediaImporters, ContentNotNameChoosesTheImporter) {
  TempDir dir;
  const std::string wav = dir.Path("really-wav.mp3"), mp3 = dir.Path("really-mp3.wav"), mp4 = dir.Path("a.m4a");
  MustRun("sox -n -b 16 -c 1 -r 8000 -t wav " + wav + " synth 0.5 sine 300");
  MustRun("ffmpeg -v error -f lavfi -i sine=duration=1 -c:a libmp3lame -f mp3 " + mp3);
  MustRun("ffmpeg -v error -f lavfi -i sine=duration=1 -c:a aac " + mp4);
  ImportedMedia m;
  EXPECT_EQ(ImportMediaFile(wav, m), ImportErr::None);
  EXPECT_EQ(TagText(m.Format()), "sowt");
  EXPECT_EQ(ImportMediaFile(mp3, m), ImportErr::None);
  EXPECT_EQ(TagText(m.Format()), ".mp3");
  EXPECT_EQ(ImportMp3(wav, m), ImportErr::NotMovieFile);
  EXPECT_TRUE(m.chunks.empty() && m.path.empty());  // a failure leaves nothing behind
  EXPECT_EQ(ImportWav(mp3, m), ImportErr::NotMovieFile);
  EXPECT_EQ(ImportImage(wav, m), ImportErr::NotMovieFile);
  EXPECT_EQ(ImportMediaFile(mp4, m), ImportErr::NotMovieFile);  // movies are read, not imported
}
