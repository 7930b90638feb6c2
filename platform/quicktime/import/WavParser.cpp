// WAV and its 64-bit form RF64: a RIFF list of chunks, the format in 'fmt ',
// the frames in 'data'. Only the chunk headers are read.
#include <algorithm>
#include <array>
#include <limits>
#include <optional>

#include "platform/quicktime/import/Bytes.h"
#include "platform/quicktime/import/FrameTable.h"
#include "platform/quicktime/import/MediaParsers.h"
#include "platform/quicktime/import/SampleDescriptions.h"

namespace mediaimport {

namespace {

constexpr std::uint16_t kFormatPcm = 1, kFormatFloat = 3, kFormatExtensible = 0xFFFE;

struct WavFormat {
  std::uint16_t tag = 0, channels = 0, blockAlign = 0, bits = 0;
  std::uint32_t rate = 0;
};

struct WavLayout {
  std::optional<WavFormat> format;
  std::optional<std::uint64_t> dataOffset;
  std::uint64_t dataSize = 0;
  std::uint64_t largeDataSize = 0;  // from RF64's 'ds64'
};

// Chunk ids as they appear in the file, read as little-endian numbers.
constexpr std::uint32_t Id(const char (&s)[5]) {
  return std::uint32_t(std::uint8_t(s[0])) | std::uint32_t(std::uint8_t(s[1])) << 8 |
         std::uint32_t(std::uint8_t(s[2])) << 16 | std::uint32_t(std::uint8_t(s[3])) << 24;
}

ImportErr ReadFormat(ByteSource& source, std::uint64_t at, std::uint64_t size, WavLayout& layout) {
  std::array<std::uint8_t, 26> b{};
  if (size < 16) return ImportErr::NotMovieFile;
  const std::size_t length = size >= 26 ? 26 : 16;
  if (ImportErr err = source.Read(at, std::span(b).first(length)); err != ImportErr::None) return err;
  WavFormat f;
  f.tag = std::uint16_t(LittleAt(b, 0, 2));
  f.channels = std::uint16_t(LittleAt(b, 2, 2));
  f.rate = std::uint32_t(LittleAt(b, 4, 4));
  f.blockAlign = std::uint16_t(LittleAt(b, 12, 2));
  f.bits = std::uint16_t(LittleAt(b, 14, 2));
  if (f.tag == kFormatExtensible) {
    if (length < 26) return ImportErr::NotMovieFile;
    f.tag = std::uint16_t(LittleAt(b, 24, 2));  // the sub-format's first two bytes name it
  }
  layout.format = f;
  return ImportErr::None;
}

ImportErr ReadChunks(ByteSource& source, WavLayout& layout) {
  std::array<std::uint8_t, 12> riff{};
  if (ImportErr err = source.Read(0, riff); err != ImportErr::None) return err;
  const bool large = LittleAt(riff, 0, 4) == Id("RF64");
  for (std::uint64_t at = 12; at + 8 <= source.Size();) {
    std::array<std::uint8_t, 8> head{};
    if (ImportErr err = source.Read(at, head); err != ImportErr::None) return err;
    const std::uint32_t id = std::uint32_t(LittleAt(head, 0, 4));
    const std::uint64_t size = LittleAt(head, 4, 4);
    if (id == Id("fmt ") && !layout.format) {
      if (ImportErr err = ReadFormat(source, at + 8, size, layout); err != ImportErr::None) return err;
    } else if (id == Id("ds64") && large) {
      // the RIFF size, then the data size: only the latter matters here
      std::array<std::uint8_t, 8> b{};
      if (ImportErr err = source.Read(at + 16, b); err != ImportErr::None) return err;
      layout.largeDataSize = LittleAt(b, 0, 8);
    } else if (id == Id("data") && !layout.dataOffset) {
      layout.dataOffset = at + 8;
      layout.dataSize = large && size == 0xFFFFFFFF ? layout.largeDataSize : size;
      if (layout.format) return ImportErr::None;
    }
    at += 8 + size + (size & 1);  // chunks keep an even length
  }
  return layout.format && layout.dataOffset ? ImportErr::None : ImportErr::NotMovieFile;
}

std::optional<PcmLayout> PcmOf(const WavFormat& f) {
  if (f.channels == 0 || f.rate == 0 || f.blockAlign == 0 || f.blockAlign % f.channels != 0) return std::nullopt;
  const std::uint16_t bytes = f.blockAlign / f.channels;  // a sample's container, whatever bits it uses
  if (f.bits == 0 || (f.bits + 7) / 8 > bytes) return std::nullopt;
  if (f.tag == kFormatPcm && bytes >= 1 && bytes <= 4)
    return PcmLayout{f.channels, bytes, f.rate, false, false, bytes > 1};
  if (f.tag == kFormatFloat && (bytes == 4 || bytes == 8)) return PcmLayout{f.channels, bytes, f.rate, true, false, true};
  return std::nullopt;
}

}  // namespace

bool RecognisesWav(ByteSource& source) {
  std::array<std::uint8_t, 12> b{};
  if (source.Read(0, b) != ImportErr::None) return false;
  const std::uint32_t riff = std::uint32_t(LittleAt(b, 0, 4));
  return (riff == Id("RIFF") || riff == Id("RF64")) && LittleAt(b, 8, 4) == Id("WAVE");
}

ImportErr ParseWav(ByteSource& source, ImportedMedia& media) {
  if (!RecognisesWav(source)) return ImportErr::NotMovieFile;
  WavLayout layout;
  if (ImportErr err = ReadChunks(source, layout); err != ImportErr::None) return err;
  const std::optional<PcmLayout> pcm = PcmOf(*layout.format);
  if (!pcm) return ImportErr::NotMovieFile;
  // A recording cut short keeps the frames that are there.
  const std::uint64_t present = std::min(layout.dataSize, source.Size() - *layout.dataOffset);
  const std::uint64_t frames = present / layout.format->blockAlign;
  if (frames == 0) return ImportErr::NotMovieFile;
  if (frames > std::numeric_limits<std::uint32_t>::max()) return ImportErr::MemFull;
  media.mediaType = Tag("soun");
  media.timeScale = pcm->rate;
  media.sampleDescription = PcmDescription(*pcm);
  FillPcmTable(media, *layout.dataOffset, std::uint32_t(frames), layout.format->blockAlign);
  return ImportErr::None;
}

}  // namespace mediaimport
