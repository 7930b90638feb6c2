// WAV and its 64-bit forms RF64 and BW64: a RIFF list of chunks, the format
// in 'fmt ', the frames in 'data'. Only the chunk headers are read. Files as
// recorders and editors leave them are read as players read them: an odd
// chunk without its pad byte, a data size left at zero or cut short.
#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <limits>
#include <optional>
#include <string>

#include "platform/quicktime/import/Bytes.h"
#include "platform/quicktime/import/FrameTable.h"
#include "platform/quicktime/import/MediaParsers.h"
#include "platform/quicktime/import/SampleDescriptions.h"

namespace mediaimport {

namespace {

constexpr std::uint16_t kFormatPcm = 1, kFormatFloat = 3, kFormatExtensible = 0xFFFE;
constexpr std::uint32_t kUnknownSize = 0xFFFFFFFF;

struct WavFormat {
  std::uint16_t tag = 0, channels = 0, blockAlign = 0, bits = 0;
  std::uint32_t rate = 0;
  bool unknownSubFormat = false;  // extensible, with a sub-format that is not a format tag
};

struct WavLayout {
  bool large = false;  // RF64 or BW64: the real sizes are in 'ds64'
  std::optional<WavFormat> format;
  std::optional<std::uint64_t> dataOffset;
  std::uint64_t dataSize = 0;
  std::uint64_t largeDataSize = 0;  // from 'ds64'
  std::vector<std::string> repairs;
};

// Chunk ids as they appear in the file, read as little-endian numbers.
constexpr std::uint32_t Id(const char (&s)[5]) {
  return std::uint32_t(std::uint8_t(s[0])) | std::uint32_t(std::uint8_t(s[1])) << 8 |
         std::uint32_t(std::uint8_t(s[2])) << 16 | std::uint32_t(std::uint8_t(s[3])) << 24;
}

// Codecs a WAV may hold that a movie here cannot carry, by format tag.
struct CodecName {
  std::uint16_t tag;
  const char* name;
};
constexpr std::array kCodecNames{
    CodecName{0x0002, "Microsoft ADPCM"}, CodecName{0x0006, "A-law"},       CodecName{0x0007, "\u00b5-law"},
    CodecName{0x0011, "IMA ADPCM"},       CodecName{0x0031, "GSM 6.10"},    CodecName{0x0040, "G.721 ADPCM"},
    CodecName{0x0050, "MPEG audio"},      CodecName{0x0055, "MP3"},         CodecName{0x00FF, "AAC"},
    CodecName{0x0160, "WMA"},             CodecName{0x0161, "WMA"},         CodecName{0x2000, "AC-3"},
};

std::string CodecOf(const WavFormat& f) {
  if (f.unknownSubFormat) return "an unknown sub-format";
  if (f.tag == kFormatPcm || f.tag == kFormatFloat) return "a PCM layout of its own";
  for (const CodecName& known : kCodecNames)
    if (known.tag == f.tag) return known.name;
  char text[32];
  std::snprintf(text, sizeof text, "format 0x%04X", unsigned(f.tag));
  return text;
}

std::string Refusal(const WavFormat& f) {
  return "WAV sound in " + CodecOf(f) +
         ", which a movie cannot carry as it is; convert it first, for example with "
         "ffmpeg -i in.wav -c:a pcm_s16le out.wav (then -cw4 out.wav for AAC)";
}

// The GUID of an extensible format: its first two bytes name a format tag
// when the other fourteen are the standard ones.
constexpr std::array<std::uint8_t, 14> kGuidTail{0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                                 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

ImportErr ReadFormat(ByteSource& source, std::uint64_t at, std::uint64_t size, WavLayout& layout) {
  std::array<std::uint8_t, 40> b{};
  if (size < 16) return ImportErr::NotMovieFile;
  const std::size_t length = size >= 40 ? 40 : 16;
  if (ImportErr err = source.Read(at, std::span(b).first(length)); err != ImportErr::None) return err;
  WavFormat f;
  f.tag = std::uint16_t(LittleAt(b, 0, 2));
  f.channels = std::uint16_t(LittleAt(b, 2, 2));
  f.rate = std::uint32_t(LittleAt(b, 4, 4));
  f.blockAlign = std::uint16_t(LittleAt(b, 12, 2));
  f.bits = std::uint16_t(LittleAt(b, 14, 2));
  if (f.tag == kFormatExtensible) {
    if (length < 40) return ImportErr::NotMovieFile;
    f.tag = std::uint16_t(LittleAt(b, 24, 2));
    f.unknownSubFormat = !std::equal(kGuidTail.begin(), kGuidTail.end(), b.begin() + 26);
  }
  layout.format = f;
  return ImportErr::None;
}

ImportErr ReadLargeSizes(ByteSource& source, std::uint64_t at, std::uint64_t size, WavLayout& layout) {
  std::array<std::uint8_t, 16> b{};  // the RIFF size, then the data size
  if (size < b.size()) return ImportErr::NotMovieFile;
  if (ImportErr err = source.Read(at, b); err != ImportErr::None) return err;
  layout.largeDataSize = LittleAt(b, 8, 8);
  return ImportErr::None;
}

// The data chunk's size: from 'ds64' in the large forms; a size left at zero
// or at its largest by a writer that never came back means "to the end".
std::uint64_t DataSizeOf(std::uint64_t at, std::uint64_t size, std::uint64_t fileSize, WavLayout& layout) {
  if (layout.large && size == kUnknownSize) return layout.largeDataSize;
  if (size != 0 && size != kUnknownSize) return size;
  if (at + 8 < fileSize) layout.repairs.push_back("the data chunk has no size; its frames run to the end of the file");
  return fileSize - std::min(fileSize, at + 8);
}

// What lies at `at`: a chunk id that WAV files commonly hold, something that
// could be an id (letters, digits and spaces), or neither.
enum class IdLooks { Known, Plausible, Not };

IdLooks IdAt(ByteSource& source, std::uint64_t at) {
  static constexpr std::array kCommon{Id("data"), Id("fmt "), Id("LIST"), Id("fact"), Id("bext"), Id("JUNK"),
                                      Id("id3 "), Id("cue "), Id("smpl"), Id("iXML"), Id("axml"), Id("PAD ")};
  std::array<std::uint8_t, 4> id{};
  if (at + 8 > source.Size() || source.Read(at, id) != ImportErr::None) return IdLooks::Not;
  if (std::find(kCommon.begin(), kCommon.end(), std::uint32_t(LittleAt(id, 0, 4))) != kCommon.end()) return IdLooks::Known;
  const bool plausible = std::all_of(id.begin(), id.end(), [](std::uint8_t c) { return std::isalnum(c) || c == ' '; });
  return plausible ? IdLooks::Plausible : IdLooks::Not;
}

// Chunks keep an even length, but some writers leave out the pad byte after
// an odd one: the next chunk is where an id is found.
std::uint64_t NextChunk(ByteSource& source, std::uint64_t at, std::uint64_t size, std::uint32_t id, WavLayout& layout) {
  const std::uint64_t unpadded = at + 8 + size;
  if ((size & 1) == 0) return unpadded;
  const IdLooks padded = IdAt(source, unpadded + 1), bare = IdAt(source, unpadded);
  if (padded == IdLooks::Known || bare == IdLooks::Not || (padded == IdLooks::Plausible && bare != IdLooks::Known))
    return unpadded + 1;
  const char name[] = {char(id), char(id >> 8), char(id >> 16), char(id >> 24), 0};
  layout.repairs.push_back(std::string("the odd-sized '") + name + "' chunk has no pad byte");
  return unpadded;
}

ImportErr ReadChunks(ByteSource& source, WavLayout& layout) {
  std::array<std::uint8_t, 12> riff{};
  if (ImportErr err = source.Read(0, riff); err != ImportErr::None) return err;
  const std::uint32_t kind = std::uint32_t(LittleAt(riff, 0, 4));
  layout.large = kind == Id("RF64") || kind == Id("BW64");
  for (std::uint64_t at = 12; at + 8 <= source.Size();) {
    std::array<std::uint8_t, 8> head{};
    if (ImportErr err = source.Read(at, head); err != ImportErr::None) return err;
    const std::uint32_t id = std::uint32_t(LittleAt(head, 0, 4));
    std::uint64_t size = LittleAt(head, 4, 4);
    ImportErr err = ImportErr::None;
    if (id == Id("fmt ") && !layout.format) {
      err = ReadFormat(source, at + 8, size, layout);
    } else if (id == Id("ds64") && layout.large) {
      err = ReadLargeSizes(source, at + 8, size, layout);
    } else if (id == Id("data") && !layout.dataOffset) {
      layout.dataOffset = at + 8;
      layout.dataSize = size = DataSizeOf(at, size, source.Size(), layout);
      if (layout.format) return ImportErr::None;
    }
    if (err != ImportErr::None) return err;
    at = NextChunk(source, at, size, id, layout);
  }
  return layout.format && layout.dataOffset ? ImportErr::None : ImportErr::NotMovieFile;
}

std::optional<PcmLayout> PcmOf(const WavFormat& f) {
  if (f.unknownSubFormat || f.channels == 0 || f.rate == 0 || f.blockAlign == 0 || f.blockAlign % f.channels != 0)
    return std::nullopt;
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
  return (riff == Id("RIFF") || riff == Id("RF64") || riff == Id("BW64")) && LittleAt(b, 8, 4) == Id("WAVE");
}

ImportErr ParseWav(ByteSource& source, ImportedMedia& media) {
  if (!RecognisesWav(source)) return ImportErr::NotMovieFile;
  WavLayout layout;
  if (ImportErr err = ReadChunks(source, layout); err != ImportErr::None) return err;
  const std::optional<PcmLayout> pcm = PcmOf(*layout.format);
  if (!pcm) {
    media.refusal = Refusal(*layout.format);
    return ImportErr::NotMovieFile;
  }
  // A recording cut short keeps the frames that are there.
  const std::uint64_t inFile = source.Size() - std::min(source.Size(), *layout.dataOffset);
  const std::uint64_t frames = std::min(layout.dataSize, inFile) / layout.format->blockAlign;
  if (frames == 0) return ImportErr::NotMovieFile;
  if (layout.dataSize > inFile && layout.dataSize - inFile >= layout.format->blockAlign)
    layout.repairs.push_back("the data chunk is cut short: " + std::to_string(frames) + " of " +
                             std::to_string(layout.dataSize / layout.format->blockAlign) + " frames are there");
  media.mediaType = Tag("soun");
  media.timeScale = pcm->rate;
  media.sampleDescription = PcmDescription(*pcm);
  media.repairs = std::move(layout.repairs);
  FillPcmTable(media, *layout.dataOffset, frames, layout.format->blockAlign);
  return ImportErr::None;
}

}  // namespace mediaimport
