// AAC in ADTS frames: every frame header is read (not the audio); each
// frame's payload, without its header, becomes one sample, and the first
// header gives the decoder configuration for the 'esds'.
#include <algorithm>
#include <array>

#include "platform/quicktime/import/Bytes.h"
#include "platform/quicktime/import/FrameScanner.h"
#include "platform/quicktime/import/FrameTable.h"
#include "platform/quicktime/import/MediaParsers.h"
#include "platform/quicktime/import/SampleDescriptions.h"

namespace mediaimport {

namespace {

constexpr std::uint32_t kSamplesPerFrame = 1024;
constexpr std::array<std::uint32_t, 13> kRates{96000, 88200, 64000, 48000, 44100, 32000, 24000,
                                               22050, 16000, 12000, 11025, 8000,  7350};

struct AdtsFields {
  std::uint32_t profile, rateIndex, channelConfig, length, rawBlocks;
  bool crc;
};

AdtsFields FieldsOf(std::span<const std::uint8_t> h) {
  return {std::uint32_t(h[2] >> 6),
          std::uint32_t(h[2] >> 2 & 15),
          std::uint32_t((h[2] & 1) << 2 | h[3] >> 6),
          std::uint32_t((h[3] & 3) << 11 | h[4] << 3 | h[5] >> 5),
          std::uint32_t(h[6] & 3),
          (h[1] & 1) == 0};
}

std::optional<MpegFrame> ReadAdtsHeader(std::span<const std::uint8_t> header) {
  if (header.size() < 7 || header[0] != 0xFF || (header[1] & 0xF6) != 0xF0) return std::nullopt;  // sync, layer 0
  const AdtsFields f = FieldsOf(header);
  // Channel configuration 0 needs an in-band layout a movie cannot describe.
  if (f.rateIndex >= kRates.size() || f.channelConfig == 0) return std::nullopt;
  MpegFrame frame;
  frame.splittable = f.rawBlocks == 0;
  frame.headerLength = f.crc ? 9 : 7;
  frame.length = f.length;
  if (frame.length <= frame.headerLength) return std::nullopt;
  frame.rate = kRates[f.rateIndex];
  frame.channels = std::uint16_t(f.channelConfig == 7 ? 8 : f.channelConfig);
  frame.samples = kSamplesPerFrame;
  frame.key = std::uint32_t(header[1] & 0xF8) << 16 | std::uint32_t(header[2] & 0xFD) << 8 | (header[3] & 0xC0);
  return frame;
}

AacConfig ConfigOf(const AdtsFields& f, const MpegFrame& frame, std::span<const std::uint32_t> sizes) {
  AacConfig aac;
  const std::uint32_t objectType = f.profile + 1;
  aac.audioSpecificConfig = {std::uint8_t(objectType << 3 | f.rateIndex >> 1),
                             std::uint8_t((f.rateIndex & 1) << 7 | f.channelConfig << 3)};
  aac.channels = frame.channels;
  aac.rate = frame.rate;
  aac.bufferSize = *std::max_element(sizes.begin(), sizes.end());
  // Bit rates over whole seconds of frames: the average, and the busiest second.
  const std::size_t perSecond = std::max<std::size_t>(1, (frame.rate + kSamplesPerFrame - 1) / kSamplesPerFrame);
  std::uint64_t total = 0, window = 0, busiest = 0;
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    total += sizes[i];
    window += sizes[i];
    if (i >= perSecond) window -= sizes[i - perSecond];
    busiest = std::max(busiest, window);
  }
  const auto bitsPerSecond = [&](std::uint64_t bytes, std::uint64_t frames) {
    return std::uint32_t(std::min<std::uint64_t>(bytes * 8 * frame.rate / (frames * kSamplesPerFrame), UINT32_MAX));
  };
  aac.avgBitrate = bitsPerSecond(total, sizes.size());
  aac.maxBitrate = std::max(aac.avgBitrate, bitsPerSecond(busiest, std::min(perSecond, sizes.size())));
  return aac;
}

}  // namespace

bool RecognisesAdts(ByteSource& source) {
  SourceWindow window(source);
  return FrameScanner(window, ReadAdtsHeader).First().has_value();
}

ImportErr ParseAdts(ByteSource& source, ImportedMedia& media) {
  SourceWindow window(source);
  FrameScanner scanner(window, ReadAdtsHeader);
  const std::optional<FrameScanner::Found> first = scanner.First();
  if (!first) return window.Status() != ImportErr::None ? window.Status() : ImportErr::NotMovieFile;
  const MpegFrame& format = first->frame;
  const AdtsFields fields = FieldsOf(window.Peek(first->offset, FrameScanner::kHeaderBytes));
  FrameTable table(SamplesPerChunk(format.rate, format.samples));
  std::uint64_t offset = first->offset;
  for (auto found = scanner.Next(offset, format.key); found; found = scanner.Next(offset, format.key)) {
    const MpegFrame& frame = found->frame;
    if (!frame.splittable) return ImportErr::NotMovieFile;  // rather than lose its sound unnoticed
    if (!table.Add(found->offset + frame.headerLength, frame.length - frame.headerLength)) return ImportErr::MemFull;
    offset = found->offset + frame.length;
  }
  if (window.Status() != ImportErr::None) return window.Status();
  if (table.Count() == 0) return ImportErr::NotMovieFile;
  scanner.NoteRepairs(media.repairs);
  media.mediaType = Tag("soun");
  media.timeScale = format.rate;
  media.sampleDescription = AacDescription(ConfigOf(fields, format, table.Sizes()));
  table.MoveInto(media, format.samples);
  return ImportErr::None;
}

}  // namespace mediaimport
