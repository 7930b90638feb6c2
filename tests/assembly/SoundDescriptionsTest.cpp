#include <gtest/gtest.h>

#include <cstring>

#include "TestSupport.h"
#include "assembly/QTMovie.h"
#include "assembly/SoundDescriptions.h"
#include <memory>
#include "platform/quicktime/QtTypes.h"

namespace {
using Bytes = std::vector<std::uint8_t>;

// An 'esds' as encoders write it: ES descriptor, decoder configuration, decoder-specific info, SL config.
Bytes Esds(std::uint8_t dcTag = 4, std::uint8_t dcLength = 17, std::uint8_t esLength = 25) {
  Bytes b = {0, 0, 0, 0, 'e', 's', 'd', 's', 0, 0, 0, 0,
             3, esLength, 0, 1, 0,
             dcTag, dcLength, 0x40, 0x15, 0x00, 0x18, 0x00, 0x00, 0x01, 0xF4, 0x00, 0x00, 0x01, 0x00, 0x00,
             5, 2, 0x12, 0x10,
             6, 1, 2};
  b[3] = std::uint8_t(b.size());
  return b;
}

}  // namespace

TEST(Esds, FieldsLengthsAndRewrite) {
  Bytes esds = Esds();
  EsdsInfo info;
  ASSERT_TRUE(ParseEsds(esds.data(), esds.size(), info));
  EXPECT_EQ(info.esDesc, (Bytes{0, 1, 0}));
  EXPECT_EQ(info.bufferSize, 0x1800u);
  EXPECT_EQ(info.maxBitrate, 0x1F400u);
  EXPECT_EQ(info.avgBitrate, 0x10000u);
  EXPECT_EQ(info.decoderSpecificInfo, (Bytes{0x12, 0x10}));
  EXPECT_EQ(info.trailer, (Bytes{6, 1, 2}));
  EXPECT_EQ(HexText(info.decoderSpecificInfo.data(), 2), "12 10 ");
  EXPECT_EQ(HexText(info.esDesc.data(), 2), " 0  1 ");

  ASSERT_TRUE(ESDSSetBufferSizeAndBitrate(esds.data(), esds.size(), 6144, 256000, 256000));
  ASSERT_TRUE(ParseEsds(esds.data(), esds.size(), info));
  EXPECT_EQ(info.bufferSize, 6144u);
  EXPECT_EQ(info.maxBitrate, 256000u);
  EXPECT_EQ(info.avgBitrate, 256000u);
  EXPECT_EQ(info.decoderSpecificInfo, (Bytes{0x12, 0x10}));

  const Bytes longLengths = {0x80, 0x80, 0x80, 0x19, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F};
  std::size_t pos = 0;
  std::uint32_t length = 0;
  ASSERT_TRUE(ReadDescriptorLength(longLengths.data(), longLengths.size(), pos, length));
  EXPECT_EQ(length, 25u);
  EXPECT_EQ(pos, 4u);
  ASSERT_TRUE(ReadDescriptorLength(longLengths.data(), longLengths.size(), pos, length));
  EXPECT_EQ(pos, 8u);  // stops after the fourth byte whatever its high bit
  EXPECT_FALSE(ReadDescriptorLength(longLengths.data(), 2, pos, length));
}

TEST(Esds, RefusesBadTagsLengthsAndTruncation) {
  EsdsInfo info;
  testing::internal::CaptureStdout();
  Bytes wrongMarker = Esds(7);
  EXPECT_FALSE(ParseEsds(wrongMarker.data(), wrongMarker.size(), info));
  EXPECT_FALSE(ESDSSetBufferSizeAndBitrate(wrongMarker.data(), wrongMarker.size(), 1, 2, 3));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "marker value does not equal 4\n");

  for (Bytes bad : {Esds(4, 12), Esds(4, 17, 19)}) {
    EXPECT_FALSE(ParseEsds(bad.data(), bad.size(), info));
    EXPECT_FALSE(ESDSSetBufferSizeAndBitrate(bad.data(), bad.size(), 1, 2, 3));
  }
  const Bytes whole = Esds();
  for (std::size_t n = 0; n < 36; ++n) EXPECT_FALSE(ParseEsds(whole.data(), n, info)) << n;
  EXPECT_FALSE(ParseEsds(nullptr, 40, info));

  std::uint32_t size = 99;
  const Bytes lying = {0, 0, 0, 0, 0, 0, 0x10, 0, 'e', 's', 'd', 's', 0, 0};
  EXPECT_EQ(FindAtomInHandle(lying.data(), lying.size(), Tag("esds"), size), nullptr);
  EXPECT_EQ(size, 0u);
  const Bytes atStart = {'e', 's', 'd', 's', 0, 0, 0, 8};
  EXPECT_EQ(FindAtomInHandle(atStart.data(), atStart.size(), Tag("esds"), size), nullptr);
}

TEST(SoundDescription, DumpsVersionsZeroOneAndTwo) {
  std::uint8_t d[52] = {};
  const auto put32 = [&](std::size_t at, std::uint32_t v) { std::memcpy(d + at, &v, 4); };
  const auto put16 = [&](std::size_t at, std::uint16_t v) { std::memcpy(d + at, &v, 2); };
  put32(0, 52);
  put32(4, Tag("mp4a"));
  put16(14, 1);
  put16(16, 1);
  put16(24, 2);
  put16(26, 16);
  put16(28, -2);
  put32(32, 44100u << 16);
  put32(36, 1024);
  testing::internal::CaptureStdout();
  DumpSoundDescription(1, d, sizeof d);
  put16(16, 2);
  DumpSoundDescription(2, d, sizeof d);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "  Sound Description number 1\n\n"
            "    descSize      52\n    format        mp4a\n    resvd1        0\n    resvd2        0\n"
            "    dataRefIndex  1\n    version       1\n    revlevel      0\n    vendor        0\n"
            "    numChannels   2\n    sampleSize    16\n    compressionID -2\n    packetSize    0\n"
            "    sampleRate    44100\n\n    samplesPerPacket 1024\n    bytesPerPacket   0\n"
            "    bytesPerFrame    0\n    bytesPerSample   0\n\n"
            "  Sound Description number 2\n\n\n");
}

namespace {
std::vector<std::uint8_t> DescriptionOf(const QTTrack& track, long index) {
  std::vector<std::uint8_t> d;
  GetMediaSampleDescription(track.media.media, index, &d);
  return d;
}

std::uint16_t VersionOf(const std::vector<std::uint8_t>& d) {
  std::uint16_t v;
  std::memcpy(&v, d.data() + 16, 2);
  return v;
}

// The description's 'esds', parsed; `size` and `at` tell where it lies.
EsdsInfo EsdsOf(const std::vector<std::uint8_t>& d, std::uint32_t* size = nullptr, std::size_t* at = nullptr) {
  std::uint32_t bytes = 0;
  const std::uint8_t* esds = FindAtomInHandle(d.data(), d.size(), Tag("esds"), bytes);
  EsdsInfo info;
  EXPECT_TRUE(ParseEsds(esds, bytes, info));
  if (size) *size = bytes;
  if (at) *at = std::size_t(esds - d.data());
  return info;
}
}  // namespace

TEST(SoundDescription, FixGivesShortFormsAndCommonRatesToJoinedFiles) {
  TempDir dir;
  const std::string a = dir.Path("a.m4a"), b = dir.Path("b.m4a"), out = dir.Path("joined.m4a");
  MustRun("ffmpeg -v error -f lavfi -i sine=duration=2:sample_rate=44100 -c:a aac -b:a 64k " + Quote(a));
  MustRun("ffmpeg -v error -f lavfi -i sine=frequency=700:duration=2:sample_rate=44100 -c:a aac -b:a 96k " + Quote(b));
  QTMovie first, second, work;
  ASSERT_TRUE(first.OpenExistingMovie(a));
  ASSERT_TRUE(second.OpenExistingMovie(b));
  ASSERT_TRUE(work.CreateMovieFile(dir.Path("qtTemp")));
  std::unique_ptr<QTTrack> one(first.GetSoundTrack(0)), two(second.GetSoundTrack(0));
  std::unique_ptr<QTTrack> joined(work.AddTrackCopy(*one, true, 0, -1));
  ASSERT_TRUE(joined);
  ASSERT_GT(joined->InsertSegment(*two, 0, -1, -1, false), 0);
  ASSERT_EQ(GetMediaSampleDescriptionCount(joined->media.media), 2);

  FixSoundDescriptions(joined.get(), true);
  for (long i = 1; i <= 2; ++i) {
    const std::vector<std::uint8_t> d = DescriptionOf(*joined, i);
    std::uint32_t size = 0;
    std::size_t at = 0;
    const EsdsInfo info = EsdsOf(d, &size, &at);
    EXPECT_EQ(at, 36u) << "the 'esds' follows the short form at once";
    EXPECT_EQ(d.size(), 36u + size);
    EXPECT_EQ(VersionOf(d), 0);
    EXPECT_EQ(info.bufferSize, 6144u);
    EXPECT_EQ(info.avgBitrate, 256000u);
  }
  ASSERT_TRUE(work.FlattenMovieToFile(out));
  EXPECT_EQ(FfprobeSays(out, "stream=codec_name,duration"), "aac,4.000000\n");
  EXPECT_EQ(ReaderSays("ffmpeg -v error -i " + Quote(out) + " -f null - 2>&1"), "");

  QTMovie single;
  ASSERT_TRUE(single.OpenExistingMovie(a));
  std::unique_ptr<QTTrack> alone(single.GetSoundTrack(0));
  const EsdsInfo original = EsdsOf(DescriptionOf(*alone, 1));
  FixSoundDescriptions(alone.get(), true);
  EXPECT_EQ(EsdsOf(DescriptionOf(*alone, 1)).avgBitrate, original.avgBitrate);  // one file keeps its own rates
  FixSoundDescriptions(nullptr, true);
}
