#pragma once
#include <cstdint>
#include <span>
#include <vector>

#include "platform/quicktime/import/ImportedMedia.h"

namespace mediaimport {

// About half a second of sound per chunk: large enough for few table entries,
// small enough to interleave with other tracks.
std::uint32_t SamplesPerChunk(std::uint32_t rate, std::uint32_t delta);

// Collects the frames of a compressed stream (one sample each, sizes that
// vary) into the sample table, joining frames that lie back to back into chunks.
class FrameTable {
 public:
  explicit FrameTable(std::uint32_t samplesPerChunk) : samplesPerChunk_(samplesPerChunk) {}
  // False once a movie could no longer count the frames.
  bool Add(std::uint64_t offset, std::uint32_t size);
  std::uint64_t Count() const { return sizes_.size(); }
  std::span<const std::uint32_t> Sizes() const { return sizes_; }
  // Every frame lasts `delta` units.
  void MoveInto(ImportedMedia& media, std::uint32_t delta);

 private:
  std::uint32_t samplesPerChunk_;
  std::vector<std::uint32_t> sizes_;
  std::vector<ImportedChunk> chunks_;
  std::uint64_t chunkEnd_ = 0;
};

// Uncompressed sound: `frames` frames of `bytesPerFrame` bytes each from
// `offset` on, one sample each; past 2^32 frames, 1024 frames a sample (and
// the last few one each), so that no table counts more than 32 bits hold.
void FillPcmTable(ImportedMedia& media, std::uint64_t offset, std::uint64_t frames, std::uint32_t bytesPerFrame);

}  // namespace mediaimport
