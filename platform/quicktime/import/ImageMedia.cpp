#include "platform/quicktime/import/ImageMedia.h"

#include <limits>

#include "platform/quicktime/import/Bytes.h"
#include "platform/quicktime/import/SampleDescriptions.h"

namespace mediaimport {

namespace {
constexpr std::uint32_t kImageTimeScale = 600;
}  // namespace

ImportErr FillImageMedia(ByteSource& source, ImportedMedia& media, std::uint32_t format, std::uint64_t width,
                         std::uint64_t height, std::uint16_t depth, const char* compressorName) {
  if (width == 0 || height == 0) return ImportErr::NotMovieFile;
  // An image description holds 16-bit sizes; a sample, a 32-bit size.
  if (width > 0xFFFF || height > 0xFFFF || source.Size() > std::numeric_limits<std::uint32_t>::max())
    return ImportErr::MemFull;
  media.mediaType = Tag("vide");
  media.timeScale = kImageTimeScale;
  media.width = std::uint16_t(width);
  media.height = std::uint16_t(height);
  media.sampleDescription = ImageDescription(format, media.width, media.height, depth, compressorName);
  media.timeToSample = {{1, kImageTimeScale}};
  media.constantSampleSize = std::uint32_t(source.Size());
  media.chunks = {{0, 1}};
  return ImportErr::None;
}

}  // namespace mediaimport
