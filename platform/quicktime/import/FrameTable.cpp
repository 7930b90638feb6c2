#include "platform/quicktime/import/FrameTable.h"

#include <algorithm>
#include <limits>

namespace mediaimport {

std::uint32_t SamplesPerChunk(std::uint32_t rate, std::uint32_t delta) {
  return std::max<std::uint32_t>(1, rate / 2 / std::max<std::uint32_t>(delta, 1));
}

bool FrameTable::Add(std::uint64_t offset, std::uint32_t size) {
  if (sizes_.size() >= std::numeric_limits<std::uint32_t>::max()) return false;
  const bool joins = !chunks_.empty() && offset == chunkEnd_ && chunks_.back().sampleCount < samplesPerChunk_;
  if (joins)
    ++chunks_.back().sampleCount;
  else
    chunks_.push_back({offset, 1});
  sizes_.push_back(size);
  chunkEnd_ = offset + size;
  return true;
}

void FrameTable::MoveInto(ImportedMedia& media, std::uint32_t delta) {
  media.timeToSample = {{std::uint32_t(sizes_.size()), delta}};
  const bool allEqual = std::adjacent_find(sizes_.begin(), sizes_.end(), std::not_equal_to<>()) == sizes_.end();
  media.constantSampleSize = allEqual && !sizes_.empty() ? sizes_.front() : 0;
  if (allEqual) sizes_.clear();
  media.sampleSizes = std::move(sizes_);
  media.chunks = std::move(chunks_);
}

namespace {
// Sound past 2^32 frames cannot be counted frame by frame in a 32-bit table
// that readers take whole: its samples hold this many frames each.
constexpr std::uint32_t kFramesPerLongSample = 1024;

// Samples of `frames` frames each, gathered into chunks of about half a
// second that lie back to back from `offset` on; the offset after them.
std::uint64_t AddPcmChunks(ImportedMedia& media, std::uint64_t offset, std::uint64_t samples, std::uint32_t frames,
                           std::uint32_t bytesPerFrame) {
  // at least a thousand frames a chunk, so that no clock, however slow, makes one chunk per byte
  const std::uint32_t perChunk =
      std::max<std::uint32_t>(SamplesPerChunk(media.timeScale, frames), (1023 + frames) / frames);
  for (std::uint64_t done = 0; done < samples;) {
    const std::uint32_t count = std::uint32_t(std::min<std::uint64_t>(perChunk, samples - done));
    media.chunks.push_back({offset, count});
    offset += std::uint64_t(count) * frames * bytesPerFrame;
    done += count;
  }
  return offset;
}
}  // namespace

void FillPcmTable(ImportedMedia& media, std::uint64_t offset, std::uint64_t frames, std::uint32_t bytesPerFrame) {
  media.chunks.clear();
  media.sampleSizes.clear();
  if (frames <= std::numeric_limits<std::uint32_t>::max()) {  // one frame a sample, as movies hold sound
    media.timeToSample = {{std::uint32_t(frames), 1}};
    media.constantSampleSize = bytesPerFrame;
    AddPcmChunks(media, offset, frames, 1, bytesPerFrame);
    return;
  }
  const std::uint64_t whole = frames / kFramesPerLongSample, rest = frames % kFramesPerLongSample;
  media.timeToSample = {{std::uint32_t(whole), kFramesPerLongSample}};
  if (rest > 0) media.timeToSample.push_back({std::uint32_t(rest), 1});
  media.constantSampleSize = 0;
  media.sampleSizes.assign(std::size_t(whole), kFramesPerLongSample * bytesPerFrame);
  media.sampleSizes.insert(media.sampleSizes.end(), std::size_t(rest), bytesPerFrame);
  offset = AddPcmChunks(media, offset, whole, kFramesPerLongSample, bytesPerFrame);
  AddPcmChunks(media, offset, rest, 1, bytesPerFrame);
}

}  // namespace mediaimport
