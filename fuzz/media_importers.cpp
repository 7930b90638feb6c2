// The media importers (WAV, AIFF, MP3, ADTS, JPEG, PNG) over any bytes: each
// either refuses them or gives a sample table that stays inside them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "platform/quicktime/import/MediaParsers.h"
#include "platform/quicktime/import/MemoryByteSource.h"

namespace {

// What every imported table must keep: a description whose size field is its
// length, chunks that add up to the samples, samples inside the file, and a
// presented part inside the media.
void CheckTable(const ImportedMedia& m, std::uint64_t fileSize) {
  const auto& d = m.sampleDescription;
  if (d.size() < 16 || (std::uint64_t(d[0]) << 24 | d[1] << 16 | d[2] << 8 | d[3]) != d.size()) std::abort();
  if (m.timeScale == 0 || m.SampleCount() == 0) std::abort();
  if (m.constantSampleSize == 0 && m.sampleSizes.size() != m.SampleCount()) std::abort();
  std::uint64_t index = 0;
  for (const ImportedChunk& chunk : m.chunks) {
    std::uint64_t end = chunk.offset;
    for (std::uint32_t i = 0; i < chunk.sampleCount; ++i) end += m.SampleSize(index++);
    if (chunk.sampleCount == 0 || end > fileSize) std::abort();
  }
  if (index != m.SampleCount()) std::abort();
  if (m.presented && m.presented->start + m.presented->duration > m.Duration()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  mediaimport::MemoryByteSource source(std::span(data, size));
  for (const mediaimport::MediaParser& parser : mediaimport::MediaParsers()) {
    ImportedMedia media;
    if (parser.parse(source, media) == ImportErr::None) CheckTable(media, size);
  }
  ImportedMedia any;
  if (mediaimport::ParseAnyMedia(source, any, false) == ImportErr::None) CheckTable(any, size);
  return 0;
}
