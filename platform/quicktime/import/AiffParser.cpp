// AIFF and uncompressed AIFF-C: a big-endian 'FORM' of chunks, the format in
// 'COMM', the frames in 'SSND'. Only the chunk headers are read.
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "platform/quicktime/import/Bytes.h"
#include "platform/quicktime/import/FrameTable.h"
#include "platform/quicktime/import/MediaParsers.h"
#include "platform/quicktime/import/SampleDescriptions.h"

namespace mediaimport {

namespace {

struct AiffCommon {
  std::uint16_t channels = 0, bits = 0;
  std::uint32_t frames = 0;
  std::uint32_t rate = 0;
  std::uint32_t compression = Tag("NONE");
};

struct AiffLayout {
  std::optional<AiffCommon> common;
  std::optional<std::uint64_t> dataOffset;
  std::uint64_t dataSize = 0;
};

// The 80-bit extended float of the sample rate, rounded to whole hertz; 0
// for anything that is not a rate between 1 Hz and 2^31 Hz.
std::uint32_t RateOf(std::span<const std::uint8_t> b) {
  const int exponent = int(BigAt(b, 0, 2) & 0x7FFF) - 16383;
  const std::uint64_t mantissa = BigAt(b, 2, 8);
  if ((b[0] & 0x80) != 0 || exponent < 0 || exponent > 30) return 0;
  return std::uint32_t(std::llround(std::ldexp(double(mantissa), exponent - 63)));
}

ImportErr ReadCommon(ByteSource& source, std::uint64_t at, std::uint64_t size, bool compressed, AiffLayout& layout) {
  std::array<std::uint8_t, 22> b{};
  const std::size_t length = compressed ? 22 : 18;
  if (size < length) return ImportErr::NotMovieFile;
  if (ImportErr err = source.Read(at, std::span(b).first(length)); err != ImportErr::None) return err;
  AiffCommon c;
  c.channels = std::uint16_t(BigAt(b, 0, 2));
  c.frames = std::uint32_t(BigAt(b, 2, 4));
  c.bits = std::uint16_t(BigAt(b, 6, 2));
  c.rate = RateOf(std::span(b).subspan(8, 10));
  if (compressed) c.compression = std::uint32_t(BigAt(b, 18, 4));
  layout.common = c;
  return ImportErr::None;
}

ImportErr ReadSoundData(ByteSource& source, std::uint64_t at, std::uint64_t size, AiffLayout& layout) {
  std::array<std::uint8_t, 8> b{};
  if (size < 8) return ImportErr::NotMovieFile;
  if (ImportErr err = source.Read(at, b); err != ImportErr::None) return err;
  const std::uint64_t skip = BigAt(b, 0, 4);  // block alignment padding before the first frame
  if (skip > size - 8) return ImportErr::NotMovieFile;
  layout.dataOffset = at + 8 + skip;
  layout.dataSize = size - 8 - skip;
  return ImportErr::None;
}

ImportErr ReadChunks(ByteSource& source, AiffLayout& layout) {
  std::array<std::uint8_t, 12> form{};
  if (ImportErr err = source.Read(0, form); err != ImportErr::None) return err;
  const bool compressed = BigAt(form, 8, 4) == Tag("AIFC");
  for (std::uint64_t at = 12; at + 8 <= source.Size() && !(layout.common && layout.dataOffset);) {
    std::array<std::uint8_t, 8> head{};
    if (ImportErr err = source.Read(at, head); err != ImportErr::None) return err;
    const std::uint32_t id = std::uint32_t(BigAt(head, 0, 4));
    const std::uint64_t size = BigAt(head, 4, 4);
    ImportErr err = ImportErr::None;
    if (id == Tag("COMM") && !layout.common) err = ReadCommon(source, at + 8, size, compressed, layout);
    if (id == Tag("SSND") && !layout.dataOffset) err = ReadSoundData(source, at + 8, size, layout);
    if (err != ImportErr::None) return err;
    at += 8 + size + (size & 1);
  }
  return layout.common && layout.dataOffset ? ImportErr::None : ImportErr::NotMovieFile;
}

std::optional<PcmLayout> PcmOf(const AiffCommon& c) {
  if (c.channels == 0 || c.rate == 0 || c.bits == 0 || c.bits > 64) return std::nullopt;
  const std::uint16_t bytes = std::uint16_t((c.bits + 7) / 8);
  const PcmLayout integer{c.channels, bytes, c.rate, false, true, true};
  switch (c.compression) {
    case Tag("NONE"): case Tag("twos"): return bytes <= 4 ? std::optional(integer) : std::nullopt;
    case Tag("sowt"): return bytes <= 4 ? std::optional(PcmLayout{c.channels, bytes, c.rate, false, false, true}) : std::nullopt;
    case Tag("raw "): return bytes == 1 ? std::optional(PcmLayout{c.channels, 1, c.rate, false, true, false}) : std::nullopt;
    case Tag("in24"): return PcmLayout{c.channels, 3, c.rate, false, true, true};
    case Tag("in32"): return PcmLayout{c.channels, 4, c.rate, false, true, true};
    case Tag("fl32"): case Tag("FL32"): return PcmLayout{c.channels, 4, c.rate, true, true, true};
    case Tag("fl64"): case Tag("FL64"): return PcmLayout{c.channels, 8, c.rate, true, true, true};
    default: return std::nullopt;  // compressed sound: not ours to decode
  }
}

// Why a compressed AIFF-C is refused, naming its codec.
std::string Refusal(std::uint32_t compression) {
  struct Named {
    std::uint32_t code;
    const char* name;
  };
  static constexpr Named kNames[]{{Tag("ulaw"), "\u00b5-law"}, {Tag("alaw"), "A-law"}, {Tag("ima4"), "IMA ADPCM"},
                                  {Tag("MAC3"), "MACE 3:1"},    {Tag("MAC6"), "MACE 6:1"}, {Tag("GSM "), "GSM"},
                                  {Tag("Qclp"), "QCELP"},       {Tag("QDM2"), "QDesign"}};
  std::string codec = "'";
  for (int shift = 24; shift >= 0; shift -= 8) codec += char(std::clamp<std::uint32_t>(compression >> shift & 0xFF, 0x20, 0x7E));
  codec += "'";
  for (const Named& known : kNames)
    if (known.code == compression) codec = known.name;
  return "AIFF-C sound in " + codec +
         ", which a movie cannot carry as it is; convert it first, for example with "
         "ffmpeg -i in.aif -c:a pcm_s16le out.wav (then -cw4 out.wav for AAC)";
}

}  // namespace

bool RecognisesAiff(ByteSource& source) {
  std::array<std::uint8_t, 12> b{};
  if (source.Read(0, b) != ImportErr::None) return false;
  const std::uint64_t kind = BigAt(b, 8, 4);
  return BigAt(b, 0, 4) == Tag("FORM") && (kind == Tag("AIFF") || kind == Tag("AIFC"));
}

ImportErr ParseAiff(ByteSource& source, ImportedMedia& media) {
  if (!RecognisesAiff(source)) return ImportErr::NotMovieFile;
  AiffLayout layout;
  if (ImportErr err = ReadChunks(source, layout); err != ImportErr::None) return err;
  const std::optional<PcmLayout> pcm = PcmOf(*layout.common);
  if (!pcm) {
    media.refusal = Refusal(layout.common->compression);
    return ImportErr::NotMovieFile;
  }
  const std::uint32_t bytesPerFrame = std::uint32_t(pcm->bytesPerSample) * pcm->channels;
  // Frames the header promises but the file does not hold are left out.
  const std::uint64_t inFile = source.Size() - std::min(source.Size(), *layout.dataOffset);
  const std::uint64_t present = std::min(layout.dataSize, inFile) / bytesPerFrame;
  const std::uint64_t frames = std::min<std::uint64_t>(layout.common->frames, present);
  if (frames == 0) return ImportErr::NotMovieFile;
  media.mediaType = Tag("soun");
  media.timeScale = pcm->rate;
  media.sampleDescription = PcmDescription(*pcm);
  FillPcmTable(media, *layout.dataOffset, std::uint32_t(frames), bytesPerFrame);
  return ImportErr::None;
}

}  // namespace mediaimport
