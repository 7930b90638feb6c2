// MPEG audio layer III: every frame header is read (not the audio), each
// frame becomes one sample. A leading Xing/Info or VBRI frame only describes
// the stream and is left out, as players do.
#include <array>
#include <cstring>

#include "platform/quicktime/import/Bytes.h"
#include "platform/quicktime/import/FrameScanner.h"
#include "platform/quicktime/import/FrameTable.h"
#include "platform/quicktime/import/MediaParsers.h"
#include "platform/quicktime/import/SampleDescriptions.h"

namespace mediaimport {

namespace {

constexpr std::uint32_t kVersion1 = 3, kVersionReserved = 1, kLayer3 = 1, kModeMono = 3;
constexpr std::array<std::uint16_t, 16> kBitrates1{0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
constexpr std::array<std::uint16_t, 16> kBitrates2{0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0};
constexpr std::array<std::uint32_t, 3> kRates1{44100, 48000, 32000};

std::optional<MpegFrame> ReadMp3Header(std::span<const std::uint8_t> header) {
  if (header.size() < 4) return std::nullopt;
  const std::uint32_t h = std::uint32_t(BigAt(header, 0, 4));
  const std::uint32_t version = h >> 19 & 3, layer = h >> 17 & 3, bitrateIndex = h >> 12 & 15, rateIndex = h >> 10 & 3;
  const bool valid = h >> 21 == 0x7FF && version != kVersionReserved && layer == kLayer3 && rateIndex != 3 &&
                     bitrateIndex != 0 && bitrateIndex != 15 && (h & 3) != 2;  // free format and reserved emphasis: no
  if (!valid) return std::nullopt;
  const bool version1 = version == kVersion1;
  MpegFrame frame;
  frame.rate = kRates1[rateIndex] >> (version1 ? 0 : version == 2 ? 1 : 2);
  frame.samples = version1 ? 1152 : 576;
  const std::uint32_t bitrate = 1000u * (version1 ? kBitrates1 : kBitrates2)[bitrateIndex];
  frame.length = frame.samples / 8 * bitrate / frame.rate + (h >> 9 & 1);
  frame.channels = (h >> 6 & 3) == kModeMono ? 1 : 2;
  frame.headerLength = 0;  // the header is part of the sample
  frame.key = (h & 0xFFFE0C00) | (frame.channels == 1 ? 1 : 0);
  return frame;
}

// What the first frame says when it is an information frame rather than
// sound (Xing/Info or VBRI): nothing, or the encoder's delay and padding in
// samples (zero when the encoder did not say) and the frames it wrote (zero
// when not said).
struct InfoFrame {
  std::uint32_t delay = 0, padding = 0, frames = 0;
};

// The Xing fields (flags, then the frame count when flag 1 is set), then the
// encoder tag: a version text, and at byte 21 the delay and the padding as
// two 12-bit numbers.
InfoFrame EncoderPaddingOf(std::span<const std::uint8_t> frame, std::size_t tagAt) {
  const std::uint32_t flags = std::uint32_t(BigAt(frame, tagAt + 4, 4));
  const std::uint32_t frames = flags & 1 && tagAt + 12 <= frame.size() ? std::uint32_t(BigAt(frame, tagAt + 8, 4)) : 0;
  std::size_t at = tagAt + 8 + (flags & 1 ? 4 : 0) + (flags & 2 ? 4 : 0) + (flags & 4 ? 100 : 0) + (flags & 8 ? 4 : 0);
  if (at + 24 > frame.size()) return {};
  const bool known = std::memcmp(frame.data() + at, "LAME", 4) == 0 || std::memcmp(frame.data() + at, "Lavf", 4) == 0 ||
                     std::memcmp(frame.data() + at, "Lavc", 4) == 0;
  if (!known) return {};
  const std::uint32_t both = std::uint32_t(BigAt(frame, at + 21, 3));
  return {both >> 12, both & 0xFFF, frames};
}

std::optional<InfoFrame> ReadInfoFrame(SourceWindow& window, std::uint64_t offset, const MpegFrame& frame) {
  const bool version1 = frame.samples == 1152;
  const std::size_t tagAt = 4 + (version1 ? (frame.channels == 1 ? 17 : 32) : (frame.channels == 1 ? 9 : 17));
  const auto bytes = window.Peek(offset, frame.length);
  auto tagIs = [&](std::size_t at, const char* tag) {
    return bytes.size() >= at + 8 && std::memcmp(bytes.data() + at, tag, 4) == 0;
  };
  if (tagIs(tagAt, "Xing") || tagIs(tagAt, "Info")) return EncoderPaddingOf(bytes, tagAt);
  if (tagIs(4 + 32, "VBRI")) return InfoFrame{};
  return std::nullopt;
}

// Decoders put 529 samples of their own before the encoder's delay; the
// padding at the end is shifted by as much, up to the last sample. The
// padding lies after the frames the encoder wrote: a file cut short keeps
// every sample it still holds.
std::optional<ImportedEdit> PresentedPart(const InfoFrame& info, std::uint64_t samples, std::uint32_t perFrame) {
  constexpr std::uint32_t kDecoderDelay = 529;
  const std::uint64_t written = info.frames != 0 ? std::uint64_t(info.frames) * perFrame : samples;
  const std::uint64_t start = info.delay + kDecoderDelay, end = std::min(samples, written + kDecoderDelay - info.padding);
  if (info.delay + info.padding == 0 || start >= end || written < info.padding) return std::nullopt;
  return ImportedEdit{start, end - start};
}

}  // namespace

bool RecognisesMp3(ByteSource& source) {
  SourceWindow window(source);
  return FrameScanner(window, ReadMp3Header).First().has_value();
}

ImportErr ParseMp3(ByteSource& source, ImportedMedia& media) {
  SourceWindow window(source);
  FrameScanner scanner(window, ReadMp3Header);
  const std::optional<FrameScanner::Found> first = scanner.First();
  if (!first) return window.Status() != ImportErr::None ? window.Status() : ImportErr::NotMovieFile;
  const MpegFrame& format = first->frame;
  FrameTable table(SamplesPerChunk(format.rate, format.samples));
  std::uint64_t offset = first->offset;
  const std::optional<InfoFrame> info = ReadInfoFrame(window, offset, format);
  if (info) offset += format.length;
  for (auto found = scanner.Next(offset, format.key); found; found = scanner.Next(offset, format.key)) {
    if (!table.Add(found->offset, found->frame.length)) return ImportErr::MemFull;
    offset = found->offset + found->frame.length;
  }
  if (window.Status() != ImportErr::None) return window.Status();
  if (table.Count() == 0) return ImportErr::NotMovieFile;
  scanner.NoteRepairs(media.repairs);
  media.mediaType = Tag("soun");
  media.timeScale = format.rate;
  media.sampleDescription = Mp3Description(format.channels, format.rate, format.samples);
  // behind junk, a tag is not trusted to describe the stream, as players do not trust it
  if (info && scanner.FirstAtStart())
    media.presented = PresentedPart(*info, table.Count() * format.samples, format.samples);
  table.MoveInto(media, format.samples);
  return ImportErr::None;
}

}  // namespace mediaimport
