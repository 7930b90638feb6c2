#pragma once
#include <array>
#include <cstdint>
#include <vector>

// The 'stsd' entries the importers hand out, big-endian as files hold them.
namespace mediaimport {

struct PcmLayout {
  std::uint16_t channels = 0;
  std::uint16_t bytesPerSample = 0;  // of one channel's sample as stored
  std::uint32_t rate = 0;
  bool isFloat = false;
  bool bigEndian = false;
  bool isSigned = true;
};

// 'raw ', 'twos' or 'sowt' where the short form can say it, else 'lpcm'.
std::vector<std::uint8_t> PcmDescription(const PcmLayout& pcm);
std::vector<std::uint8_t> Mp3Description(std::uint16_t channels, std::uint32_t rate, std::uint32_t samplesPerFrame);

struct AacConfig {
  std::array<std::uint8_t, 2> audioSpecificConfig{};
  std::uint16_t channels = 0;
  std::uint32_t rate = 0;
  std::uint32_t bufferSize = 0;  // the largest frame, bytes
  std::uint32_t maxBitrate = 0;  // bits per second
  std::uint32_t avgBitrate = 0;
};
std::vector<std::uint8_t> AacDescription(const AacConfig& aac);

std::vector<std::uint8_t> ImageDescription(std::uint32_t format, std::uint16_t width, std::uint16_t height,
                                           std::uint16_t depth, const char* compressorName);

}  // namespace mediaimport
