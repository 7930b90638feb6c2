#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "TestSupport.h"
#include "platform/quicktime/import/ImportedMedia.h"

namespace {

void PutLittle32(std::string& bytes, std::size_t at, std::uint32_t v) { bytes.replace(at, 4, LittleEndian(v, 4)); }

// Every importer, and the one that chooses, on the same file.
void ExpectEveryImporterSays(const std::string& path, ImportErr expected) {
  for (auto import : {ImportWav, ImportAiff, ImportMp3, ImportAdts, ImportJpeg, ImportPng, ImportImage, ImportMediaFile}) {
    ImportedMedia m;
    EXPECT_EQ(import(path, m), expected) << path;
  }
}

// A 16-byte ADTS frame of AAC LC at 44.1 kHz, its payload zero.
std::string AdtsFrame(int channelConfig, int extraRawBlocks) {
  const int length = 16;
  std::string frame{'\xFF', '\xF1', char(1 << 6 | 4 << 2 | channelConfig >> 2),
                    char((channelConfig & 3) << 6 | length >> 11), char(length >> 3 & 0xFF), char((length & 7) << 5 | 0x1F),
                    char(0xFC | extraRawBlocks)};
  return frame + std::string(length - frame.size(), '\0');
}

std::string Sox(const TempDir& dir, const std::string& name, const std::string& options) {
  const std::string path = dir.Path(name);
  MustRun("sox -n " + options + " " + path + " synth 1 sine 300");
  return ReadFile(path);
}

std::string BareMp3(const TempDir& dir, double seconds) {
  const std::string path = dir.Path("bare.mp3");
  MustRun("ffmpeg -v error -y -f lavfi -i sine=duration=" + std::to_string(seconds) +
          " -ac 2 -c:a libmp3lame -b:a 128k -write_xing 0 -id3v2_version 0 " + path);
  return ReadFile(path);
}

std::uint64_t Kib(const std::string& field) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind(field + ":", 0) == 0) return std::stoull(line.substr(field.size() + 1));
  return 0;
}

// How far the peak of resident memory rises over what is resident now while `work` runs.
template <class Work> std::uint64_t PeakGrowthKib(Work&& work) {
  std::ofstream("/proc/self/clear_refs") << "5";  // resets the peak to what is resident now
  const std::uint64_t before = Kib("VmRSS");
  work();
  return Kib("VmHWM") - before;
}

}  // namespace

TEST(MediaImportFailures, MissingEmptyAndForeignFilesGiveErrorCodes) {
  TempDir dir;
  ExpectEveryImporterSays(dir.Path("missing.wav"), ImportErr::FileNotFound);
  ExpectEveryImporterSays(dir.path(), ImportErr::FileNotFound);
  ExpectEveryImporterSays("", ImportErr::Param);
  ExpectEveryImporterSays(dir.Write("empty.wav", ""), ImportErr::NotMovieFile);
  ExpectEveryImporterSays(dir.Write("text.mp3", std::string(5000, 'x')), ImportErr::NotMovieFile);
  ExpectEveryImporterSays("/dev/null", ImportErr::NotMovieFile);
  const std::string locked = dir.Write("locked.wav", Sox(dir, "l.wav", "-b 16 -c 1 -r 8000"));
  ::chmod(locked.c_str(), 0);
  if (::access(locked.c_str(), R_OK) != 0) ExpectEveryImporterSays(locked, ImportErr::Permission);
}

TEST(MediaImportFailures, DamagedHeadersAreRefusedAndShortDataIsKept) {
  TempDir dir;
  ImportedMedia m;
  const std::string wav = Sox(dir, "a.wav", "-b 16 -c 2 -r 8000");  // 44-byte header, 32000 bytes of frames
  ASSERT_EQ(wav.size(), 44u + 32000);
  EXPECT_EQ(ImportWav(dir.Write("cut.wav", wav.substr(0, 30)), m), ImportErr::NotMovieFile);
  std::string lyingFormat = wav;
  PutLittle32(lyingFormat, 16, 0xFFFFFFF0);  // 'fmt ' claims the rest of the world
  EXPECT_EQ(ImportWav(dir.Write("fmt.wav", lyingFormat), m), ImportErr::NotMovieFile);
  std::string badAlign = wav;
  PutLittle32(badAlign, 32, 3 | 16 << 16);  // 3 bytes a frame for two 16-bit channels
  EXPECT_EQ(ImportWav(dir.Write("align.wav", badAlign), m), ImportErr::NotMovieFile);
  std::string lyingData = wav.substr(0, 44 + 4001);  // the data claims 32000 bytes; 1000 frames and a byte remain
  EXPECT_EQ(ImportWav(dir.Write("short.wav", lyingData), m), ImportErr::None);
  EXPECT_EQ(m.SampleCount(), 1000u);
  std::string noFrames = wav.substr(0, 44);
  EXPECT_EQ(ImportWav(dir.Write("none.wav", noFrames), m), ImportErr::NotMovieFile);

  const std::string aiff = Sox(dir, "a.aiff", "-b 16 -c 1 -r 8000");
  EXPECT_EQ(ImportAiff(dir.Write("short.aiff", aiff.substr(0, aiff.size() - 1000)), m), ImportErr::None);
  EXPECT_EQ(m.SampleCount(), 8000u - 500);
  EXPECT_EQ(ImportAiff(dir.Write("cut.aiff", aiff.substr(0, 40)), m), ImportErr::NotMovieFile);

  std::string png("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\x01\x11\x70\0\0\0\x10\x08\x02\0\0\0", 8 + 8 + 13);
  EXPECT_EQ(ImportPng(dir.Write("wide.png", png), m), ImportErr::MemFull);  // 70000 pixels across
  png[25] = 5;                                                              // no such colour type
  EXPECT_EQ(ImportPng(dir.Write("bad.png", png), m), ImportErr::NotMovieFile);
  const std::string jpeg("\xFF\xD8\xFF\xE0\x00\x10JFIF\0\x01\x01\0\0\x01\0\x01\0\0\xFF\xDA", 22);
  EXPECT_EQ(ImportJpeg(dir.Write("noframe.jpg", jpeg), m), ImportErr::NotMovieFile);
  EXPECT_EQ(ImportJpeg(dir.Write("cut.jpg", jpeg.substr(0, 10)), m), ImportErr::NotMovieFile);
  const std::string good = AdtsFrame(2, 0) + AdtsFrame(2, 0);
  EXPECT_EQ(ImportAdts(dir.Write("good.aac", good), m), ImportErr::None);
  EXPECT_EQ(m.SampleCount(), 2u);
  EXPECT_EQ(ImportAdts(dir.Write("layout.aac", AdtsFrame(0, 0) + AdtsFrame(0, 0)), m), ImportErr::NotMovieFile);
  EXPECT_EQ(ImportAdts(dir.Write("blocks.aac", good + AdtsFrame(2, 1)), m), ImportErr::NotMovieFile);
}

TEST(MediaImportFailures, Mp3DamageBetweenFramesIsSkipped) {
  TempDir dir;
  const std::string mp3 = BareMp3(dir, 2);
  ImportedMedia clean;
  ASSERT_EQ(ImportMp3(dir.Path("bare.mp3"), clean), ImportErr::None);
  ASSERT_GT(clean.SampleCount(), 20u);
  const std::uint64_t cut = clean.chunks[1].offset;  // a frame boundary
  const std::string junk(777, '\xFF');
  ImportedMedia damaged;
  ASSERT_EQ(ImportMp3(dir.Write("junk.mp3", mp3.substr(0, cut) + junk + mp3.substr(cut) + "TAG" + std::string(125, 'x')),
                      damaged),
            ImportErr::None);
  EXPECT_EQ(damaged.SampleCount(), clean.SampleCount());
  EXPECT_EQ(damaged.chunks[1].offset, cut + junk.size());
  ImportedMedia truncated;
  ASSERT_EQ(ImportMp3(dir.Write("cut.mp3", mp3.substr(0, mp3.size() - 10)), truncated), ImportErr::None);
  EXPECT_EQ(truncated.SampleCount(), clean.SampleCount() - 1);  // a frame cut short is left out
}

TEST(MediaImportFailures, LongFilesKeepMemoryFlat) {
  TempDir dir;
  // A WAV of 3.5 GB (sparse: silence costs no disk) imports from its header alone.
  const std::uint32_t dataBytes = 3'500'000'000u;
  const std::string big = WriteSparseWav(dir.Path("big.wav"), {.channels = 2}, dataBytes);
  ImportedMedia m;
  EXPECT_LT(PeakGrowthKib([&] { ASSERT_EQ(ImportWav(big, m), ImportErr::None); }), 4u * 1024);
  EXPECT_EQ(m.SampleCount(), dataBytes / 4);
  // An RF64 file of more 8-bit frames than one 32-bit count holds keeps every one.
  const std::string huge = WriteSparseWav(dir.Path("huge.wav"), {.rate = 8000, .bits = 8}, 0x100000010ull, true);
  ASSERT_EQ(ImportWav(huge, m), ImportErr::None);
  EXPECT_EQ(m.Duration(), 0x100000010ull);  // 1024 frames a sample, the last 16 one each
  EXPECT_EQ(m.timeToSample, (std::vector<ImportedTimeRun>{{0x400000, 1024}, {16, 1}}));
  EXPECT_EQ(m.SampleSize(0), 1024u);
  EXPECT_EQ(m.SampleSize(0x400000), 1u);
  EXPECT_EQ(m.chunks.back().offset + m.chunks.back().sampleCount, std::filesystem::file_size(huge));
  EXPECT_TRUE(m.repairs.empty());
  m = ImportedMedia{};
  // An hour of MP3 (about 58 MB) is scanned frame by frame.
  const std::string tenSeconds = BareMp3(dir, 10);
  {
    std::ofstream out(dir.Path("hour.mp3"), std::ios::binary);
    for (int i = 0; i < 360; ++i) out << tenSeconds;
  }
  ImportedMedia tenSecondsMedia;
  ASSERT_EQ(ImportMp3(dir.Path("bare.mp3"), tenSecondsMedia), ImportErr::None);
  EXPECT_LT(PeakGrowthKib([&] { ASSERT_EQ(ImportMp3(dir.Path("hour.mp3"), m), ImportErr::None); }), 8u * 1024);
  EXPECT_EQ(m.SampleCount(), 360 * tenSecondsMedia.SampleCount());
}

TEST(MediaImportFailures, WavFilesAreReadAsOtherToolsLeaveThem) {
  TempDir dir;
  const std::string wav = Sox(dir, "w.wav", "-b 16 -c 1 -r 11025");  // 44-byte header, 11025 frames
  ASSERT_EQ(wav.compare(36, 4, "data"), 0);
  const auto little = [](std::uint32_t v) { return LittleEndian(v, 4); };
  ImportedMedia plain, m;
  ASSERT_EQ(ImportWav(dir.Write("plain.wav", wav), plain), ImportErr::None);

  // an odd chunk without its pad byte; one with it says nothing
  ASSERT_EQ(ImportWav(dir.Write("odd.wav", wav.substr(0, 36) + "LIST" + little(5) + "INFOx" + wav.substr(36)), m),
            ImportErr::None);
  EXPECT_EQ(m.SampleCount(), 11025u);
  EXPECT_EQ(m.chunks[0].offset, 36u + 13 + 8);
  ASSERT_EQ(m.repairs.size(), 1u);
  EXPECT_EQ(m.repairs[0], "the odd-sized 'LIST' chunk has no pad byte");
  ASSERT_EQ(ImportWav(dir.Write("padded.wav", wav.substr(0, 36) + "LIST" + little(5) + "INFOx" + '\0' + wav.substr(36)), m),
            ImportErr::None);
  EXPECT_EQ(m.chunks[0].offset, 36u + 14 + 8);
  EXPECT_TRUE(m.repairs.empty());

  // a data size a writer never filled in: the frames run to the end of the file
  std::string sizeless = wav;
  PutLittle32(sizeless, 40, 0);
  ASSERT_EQ(ImportWav(dir.Write("sizeless.wav", sizeless + std::string(6, '\0')), m), ImportErr::None);
  EXPECT_EQ(m.SampleCount(), 11025u + 3);
  EXPECT_EQ(m.repairs.size(), 1u);

  // WAVE_FORMAT_EXTENSIBLE: PCM and float sub-formats read as the plain tags would
  const std::string guidTail("\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 12);
  const auto extensible = [&](std::uint16_t tag, const std::string& tail) {
    std::string format = wav.substr(20, 16);
    format[0] = char(0xFE), format[1] = char(0xFF);
    format += std::string("\x16\0\x10\0\x04\0\0\0", 8) + char(tag) + '\0' + std::string(2, '\0') + tail;
    return std::string("RIFF") + little(0) + "WAVEfmt " + little(40) + format + wav.substr(36);
  };
  ASSERT_EQ(ImportWav(dir.Write("ext.wav", extensible(1, guidTail)), m), ImportErr::None);
  EXPECT_EQ(m.sampleDescription, plain.sampleDescription);
  EXPECT_EQ(m.SampleCount(), 11025u);
  EXPECT_EQ(ImportWav(dir.Write("ambi.wav", extensible(1, std::string(12, '\x21'))), m), ImportErr::NotMovieFile);
  EXPECT_NE(m.refusal.find("unknown sub-format"), std::string::npos) << m.refusal;

  // BW64 is RF64 by another name; codecs a movie cannot carry are named, with a way out
  std::string bw64 = wav;
  bw64.replace(0, 4, "BW64");
  EXPECT_EQ(ImportWav(dir.Write("bw.wav", bw64), m), ImportErr::None);
  for (const auto& [tag, name] : {std::pair{6, "A-law"}, std::pair{7, "\u00b5-law"}, std::pair{0x11, "IMA ADPCM"},
                                  std::pair{0x1234, "format 0x1234"}}) {
    std::string coded = wav;
    coded[20] = char(tag & 0xFF), coded[21] = char(tag >> 8);
    EXPECT_EQ(ImportMediaFile(dir.Write("coded.wav", coded), m), ImportErr::NotMovieFile);
    EXPECT_NE(m.refusal.find(std::string("WAV sound in ") + name), std::string::npos) << m.refusal;
    EXPECT_NE(m.refusal.find("ffmpeg -i in.wav -c:a pcm_s16le out.wav"), std::string::npos) << m.refusal;
  }
}
