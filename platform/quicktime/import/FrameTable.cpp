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

void FillPcmTable(ImportedMedia& media, std::uint64_t offset, std::uint64_t frames, std::uint32_t bytesPerFrame) {
  constexpr std::uint64_t kMaxRun = std::numeric_limits<std::uint32_t>::max();
  // at least a thousand frames a chunk, so that no clock, however slow, makes one chunk per byte
  const std::uint32_t perChunk = std::max<std::uint32_t>(SamplesPerChunk(media.timeScale, 1), 1024);
  media.timeToSample.clear();
  for (std::uint64_t left = frames; left > 0; left -= std::min(left, kMaxRun))
    media.timeToSample.push_back({std::uint32_t(std::min(left, kMaxRun)), 1});
  media.constantSampleSize = bytesPerFrame;
  media.chunks.clear();
  media.chunks.reserve(std::size_t(frames / perChunk + 1));
  for (std::uint64_t done = 0; done < frames;) {
    const std::uint32_t count = std::uint32_t(std::min<std::uint64_t>(perChunk, frames - done));
    media.chunks.push_back({offset + done * bytesPerFrame, count});
    done += count;
  }
}

}  // namespace mediaimport
