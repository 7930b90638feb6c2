#include "platform/quicktime/import/SampleDescriptions.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "platform/quicktime/import/BigEndianWriter.h"
#include "platform/quicktime/import/Bytes.h"

namespace mediaimport {

namespace {
constexpr std::uint16_t kVariableCompression = 0xFFFE;  // -2: sizes come from the sample table

void PutEntryStart(BigEndianWriter& w, std::uint32_t format) {
  w.Put(0, 4);  // size, set by Sized()
  w.Put(format, 4);
  w.PutZeros(6);
  w.Put(1, 2);  // data reference index
}

// The fields every sound description starts with.
void PutSoundStart(BigEndianWriter& w, std::uint32_t format, std::uint16_t version, std::uint16_t channels,
                   std::uint16_t bits, std::uint16_t compression, std::uint32_t rate) {
  PutEntryStart(w, format);
  w.Put(version, 2);
  w.Put(0, 2);  // revision
  w.Put(0, 4);  // vendor
  w.Put(channels, 2);
  w.Put(bits, 2);
  w.Put(compression, 2);
  w.Put(0, 2);                                  // packet size
  w.Put(rate <= 0xFFFF ? rate << 16 : 0, 4);    // 16.16; a faster rate lives elsewhere
}

bool ShortFormFits(const PcmLayout& pcm) {
  if (pcm.isFloat || pcm.rate > 0xFFFF) return false;
  return pcm.bytesPerSample == 1 || pcm.bytesPerSample == 2;
}

std::uint32_t ShortFormFormat(const PcmLayout& pcm) {
  if (pcm.bytesPerSample == 1) return pcm.isSigned ? Tag("twos") : Tag("raw ");
  return pcm.bigEndian ? Tag("twos") : Tag("sowt");
}

// The long form: rate as a double, channels and layout as flags.
std::vector<std::uint8_t> LinearPcmDescription(const PcmLayout& pcm) {
  constexpr std::uint32_t kFloat = 1, kBigEndian = 2, kSignedInteger = 4, kPacked = 8;
  BigEndianWriter w;
  PutSoundStart(w, Tag("lpcm"), 2, 3, 16, kVariableCompression, 1);
  w.Put(72, 4);  // size of the structure without extensions
  w.Put(std::bit_cast<std::uint64_t>(double(pcm.rate)), 8);
  w.Put(pcm.channels, 4);
  w.Put(0x7F000000, 4);
  w.Put(pcm.bytesPerSample * 8u, 4);
  w.Put((pcm.isFloat ? kFloat : 0) | (pcm.bigEndian ? kBigEndian : 0) |
            (pcm.isSigned && !pcm.isFloat ? kSignedInteger : 0) | kPacked,
        4);
  w.Put(std::uint32_t(pcm.bytesPerSample) * pcm.channels, 4);  // bytes per frame
  w.Put(1, 4);                                                 // frames per packet
  return std::move(w).Sized();
}

void PutDescriptor(BigEndianWriter& w, std::uint8_t tag, std::size_t length) {
  w.Put(tag, 1);
  w.Put(length, 1);  // every descriptor here is shorter than 128 bytes
}

std::vector<std::uint8_t> EsdsAtom(const AacConfig& aac) {
  constexpr std::size_t kDecoderSpecific = 2 + 2, kDecoderConfig = 13 + kDecoderSpecific, kSyncLayer = 1;
  BigEndianWriter w;
  w.Put(0, 4);
  w.Put(Tag("esds"), 4);
  w.Put(0, 4);  // version and flags
  PutDescriptor(w, 3, 3 + 2 + kDecoderConfig + 2 + kSyncLayer);
  w.Put(0, 2);  // ES identifier: 0 inside a file
  w.Put(0, 1);  // no dependence, URL or priority
  PutDescriptor(w, 4, kDecoderConfig);
  w.Put(0x40, 1);               // MPEG-4 audio
  w.Put(0x05 << 2 | 1, 1);      // audio stream
  w.Put(aac.bufferSize, 3);
  w.Put(aac.maxBitrate, 4);
  w.Put(aac.avgBitrate, 4);
  PutDescriptor(w, 5, 2);
  w.Put(aac.audioSpecificConfig[0], 1);
  w.Put(aac.audioSpecificConfig[1], 1);
  PutDescriptor(w, 6, kSyncLayer);
  w.Put(2, 1);  // the predefined layer for files
  return std::move(w).Sized();
}
}  // namespace

std::vector<std::uint8_t> PcmDescription(const PcmLayout& pcm) {
  if (!ShortFormFits(pcm)) return LinearPcmDescription(pcm);
  BigEndianWriter w;
  PutSoundStart(w, ShortFormFormat(pcm), 0, pcm.channels, pcm.bytesPerSample * 8, 0, pcm.rate);
  return std::move(w).Sized();
}

std::vector<std::uint8_t> Mp3Description(std::uint16_t channels, std::uint32_t rate, std::uint32_t samplesPerFrame) {
  BigEndianWriter w;
  PutSoundStart(w, Tag(".mp3"), 1, channels, 16, kVariableCompression, rate);
  w.Put(samplesPerFrame, 4);  // samples per packet
  w.Put(0, 4);                // bytes per packet: they vary
  w.Put(0, 4);                // bytes per frame: likewise
  w.Put(2, 4);                // bytes per sample once decoded
  return std::move(w).Sized();
}

std::vector<std::uint8_t> AacDescription(const AacConfig& aac) {
  BigEndianWriter w;
  PutSoundStart(w, Tag("mp4a"), 0, aac.channels, 16, 0, aac.rate);
  w.PutBytes(EsdsAtom(aac));
  return std::move(w).Sized();
}

std::vector<std::uint8_t> ImageDescription(std::uint32_t format, std::uint16_t width, std::uint16_t height,
                                           std::uint16_t depth, const char* compressorName) {
  BigEndianWriter w;
  PutEntryStart(w, format);
  w.Put(0, 2);            // version
  w.Put(0, 2);            // revision
  w.Put(0, 4);            // vendor
  w.Put(0, 4);            // temporal quality
  w.Put(0x200, 4);        // spatial quality: normal
  w.Put(width, 2);
  w.Put(height, 2);
  w.Put(0x00480000, 4);   // 72 dpi across
  w.Put(0x00480000, 4);   // and down
  w.Put(0, 4);            // data size: unknown
  w.Put(1, 2);            // frames per sample
  const std::size_t nameLength = std::min<std::size_t>(std::strlen(compressorName), 31);
  w.Put(nameLength, 1);   // the name as a Pascal string in 32 bytes
  for (std::size_t i = 0; i < nameLength; ++i) w.Put(std::uint8_t(compressorName[i]), 1);
  w.PutZeros(31 - nameLength);
  w.Put(depth, 2);
  w.Put(0xFFFF, 2);       // no colour table
  return std::move(w).Sized();
}

}  // namespace mediaimport
