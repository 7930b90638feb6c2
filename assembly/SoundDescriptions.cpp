#include "assembly/SoundDescriptions.h"

#include <cstdio>
#include <cstring>

#include "assembly/QTTrack.h"
#include "platform/helper/UString.h"
#include "platform/helper/ErrorPrintf.h"
#include "platform/quicktime/QtTypes.h"

namespace {
constexpr std::size_t kAtomHeader = 8;
constexpr std::uint32_t kMinEsLength = 20, kMinDecoderConfigLength = 13;
constexpr std::uint8_t kEsTag = 3, kDecoderConfigTag = 4, kDecoderSpecificTag = 5;

// A bounded cursor over the atom's bytes; reading past the end fails for good.
class Cursor {
 public:
  Cursor(const std::uint8_t* p, std::size_t size, std::size_t pos)
      : p_(p), size_(size), pos_(pos <= size ? pos : size), ok_(pos <= size) {}
  bool ok() const { return ok_; }
  std::size_t pos() const { return pos_; }
  std::uint32_t Big(std::size_t n) {
    if (!ok_ || n > size_ - pos_) return Fail();
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < n; ++i) v = v << 8 | p_[pos_ + i];
    pos_ += n;
    return v;
  }
  std::vector<std::uint8_t> Bytes(std::size_t n) {
    if (!ok_ || n > size_ - pos_) return Fail(), std::vector<std::uint8_t>();
    std::vector<std::uint8_t> v(p_ + pos_, p_ + pos_ + n);
    pos_ += n;
    return v;
  }
  std::uint32_t Length() {
    std::uint32_t n = 0;
    if (ok_ && !ReadDescriptorLength(p_, size_, pos_, n)) Fail();
    return n;
  }
  std::uint32_t Fail() {
    ok_ = false;
    return 0;
  }

 private:
  const std::uint8_t* p_;
  std::size_t size_, pos_;
  bool ok_;
};

// Reads from the ES descriptor tag up to the decoder configuration's fields;
// false when a tag or a length is not what an 'esds' holds.
bool ReadUpToDecoderConfig(Cursor& in, EsdsInfo& info, bool report) {
  info.esTag = std::uint8_t(in.Big(1));
  if (info.esTag == kEsTag && in.Length() < kMinEsLength) return false;
  info.esDesc = in.Bytes(info.esTag == kEsTag ? 3 : 2);
  const std::uint8_t dcTag = std::uint8_t(in.Big(1));
  if (!in.ok()) return false;
  if (dcTag != kDecoderConfigTag) {
    if (report) std::printf("marker value does not equal 4\n");
    return false;
  }
  return in.Length() >= kMinDecoderConfigLength && in.ok();
}

template <class T> void PutHost(std::uint8_t* d, std::size_t offset, T v) { std::memcpy(d + offset, &v, sizeof v); }

template <class T> T Host(const std::uint8_t* d, std::size_t offset) {
  T v;
  std::memcpy(&v, d + offset, sizeof v);
  return v;
}

}  // namespace

bool ReadDescriptorLength(const std::uint8_t* p, std::size_t size, std::size_t& pos, std::uint32_t& length) {
  length = 0;
  for (int i = 0; i < 4; ++i) {
    if (pos >= size) return false;
    const std::uint8_t b = p[pos++];
    length = length * 128 + (b & 0x7F);
    if (!(b & 0x80)) break;
  }
  return true;
}

bool ParseEsds(const std::uint8_t* atom, std::size_t size, EsdsInfo& info) {
  info = EsdsInfo{};
  Cursor in(atom, atom ? size : 0, kAtomHeader);
  info.version = std::uint8_t(in.Big(1));
  info.flags = in.Big(3);
  if (!ReadUpToDecoderConfig(in, info, true)) return false;
  info.objectType = std::uint8_t(in.Big(1));
  info.streamType = std::uint8_t(in.Big(1));
  info.bufferSize = in.Big(3);
  info.maxBitrate = in.Big(4);
  info.avgBitrate = in.Big(4);
  if (in.Big(1) != kDecoderSpecificTag) return false;
  info.decoderSpecificInfo = in.Bytes(in.Length());
  info.trailer = in.Bytes(size - in.pos());
  return in.ok();
}

bool ESDSSetBufferSizeAndBitrate(std::uint8_t* atom, std::size_t size, std::uint32_t bufferSize,
                                 std::uint32_t maxBitrate, std::uint32_t avgBitrate) {
  Cursor walk(atom, atom ? size : 0, kAtomHeader + 4);
  EsdsInfo scratch;
  if (!ReadUpToDecoderConfig(walk, scratch, false)) return false;
  walk.Big(2);  // object type and stream type
  constexpr std::size_t kFieldBytes = 3 + 4 + 4;
  if (!walk.ok() || size - walk.pos() < kFieldBytes) return false;
  std::uint8_t* p = atom + walk.pos();
  const std::uint32_t values[] = {bufferSize, maxBitrate, avgBitrate};
  const std::size_t widths[] = {3, 4, 4};
  for (int f = 0; f < 3; ++f)
    for (std::size_t i = widths[f]; i-- > 0;) *p++ = std::uint8_t(values[f] >> (8 * i));
  return true;
}

const std::uint8_t* FindAtomInHandle(const std::uint8_t* bytes, std::size_t length, std::uint32_t type,
                                     std::uint32_t& size) {
  size = 0;
  const std::string code = TagText(type);
  for (std::size_t i = 4; bytes && i + 4 <= length; ++i) {
    if (std::memcmp(bytes + i, code.data(), 4) != 0) continue;
    const std::uint8_t* atom = bytes + i - 4;
    const std::uint32_t atomSize = std::uint32_t(atom[0]) << 24 | atom[1] << 16 | atom[2] << 8 | atom[3];
    if (atomSize < kAtomHeader || atomSize > length - (i - 4)) continue;
    size = atomSize;
    return atom;
  }
  return nullptr;
}

std::string HexText(const std::uint8_t* bytes, std::size_t count) {
  std::string text;
  UString one;
  for (std::size_t i = 0; i < count; ++i) {
    one.format("%2x", bytes[i]);
    text += one + " ";
  }
  return text;
}

void DumpSoundDescription(int number, const std::uint8_t* d, std::size_t length) {
  std::printf("  Sound Description number %d\n", number);
  std::printf("\n");
  const std::uint16_t version = length >= 18 ? Host<std::uint16_t>(d, 16) : 2;
  const std::size_t needed = version == 1 ? 52 : 36;
  if (version < 2 && length >= needed) {
    std::printf("    descSize      %d\n", Host<std::int32_t>(d, 0));
    std::printf("    format        %s\n", TagText(Host<std::uint32_t>(d, 4)).c_str());
    std::printf("    resvd1        %d\n", Host<std::int32_t>(d, 8));
    std::printf("    resvd2        %d\n", Host<std::int16_t>(d, 12));
    std::printf("    dataRefIndex  %d\n", Host<std::int16_t>(d, 14));
    std::printf("    version       %d\n", Host<std::int16_t>(d, 16));
    std::printf("    revlevel      %d\n", Host<std::int16_t>(d, 18));
    std::printf("    vendor        %d\n", Host<std::int32_t>(d, 20));
    std::printf("    numChannels   %d\n", Host<std::int16_t>(d, 24));
    std::printf("    sampleSize    %d\n", Host<std::int16_t>(d, 26));
    std::printf("    compressionID %d\n", Host<std::int16_t>(d, 28));
    std::printf("    packetSize    %d\n", Host<std::int16_t>(d, 30));
    std::printf("    sampleRate    %d\n", int(Host<std::uint32_t>(d, 32) >> 16));
    if (version == 1) {
      std::printf("\n");
      std::printf("    samplesPerPacket %d\n", Host<std::int32_t>(d, 36));
      std::printf("    bytesPerPacket   %d\n", Host<std::int32_t>(d, 40));
      std::printf("    bytesPerFrame    %d\n", Host<std::int32_t>(d, 44));
      std::printf("    bytesPerSample   %d\n", Host<std::int32_t>(d, 48));
    }
  }
  std::printf("\n");
}

namespace {
constexpr std::size_t kShortForm = 36, kVersionOffset = 16;
constexpr std::uint32_t kBufferSize = 6144, kBitRate = 256000;

// The description in its version 0 form with the 'esds' (if any) right after it.
void ShortenDescription(std::vector<std::uint8_t>& d, bool patch) {
  std::uint32_t size = 0;
  const std::uint8_t* found = FindAtomInHandle(d.data(), d.size(), Tag("esds"), size);
  std::vector<std::uint8_t> esds(found, found + size);
  if (patch && found && !ESDSSetBufferSizeAndBitrate(esds.data(), esds.size(), kBufferSize, kBitRate, kBitRate))
    ErrorPrintf("ESDSSetBufferSizeAndBitrate failed\n");
  PutHost<std::uint16_t>(d.data(), kVersionOffset, 0);
  d.resize(kShortForm);
  d.insert(d.end(), esds.begin(), esds.end());
  PutHost<std::uint32_t>(d.data(), 0, std::uint32_t(d.size()));
}
}  // namespace

void FixSoundDescriptions(QTTrack* track, bool patch) {
  if (!track) return;
  const Media media = track->media.media;
  const long count = GetMediaSampleDescriptionCount(media);
  const Handle description = NewHandle(0);
  for (long i = 1; i <= count; ++i) {
    GetMediaSampleDescription(media, i, description);
    if (description->size() < kShortForm || Host<std::uint16_t>(description->data(), kVersionOffset) >= 2) continue;
    ShortenDescription(*description, patch && count > 1);
    if (const OSErr err = SetMediaSampleDescription(media, i, description); err != noErr)
      std::printf("Set media description error %d\n", err);
  }
  DisposeHandle(description);
}
