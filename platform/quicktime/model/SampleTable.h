#pragma once
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/quicktime/QtErrors.h"
#include "platform/quicktime/atoms/SharedVector.h"

// Where a media's samples lie and how long each lasts, held as the file
// formats hold it: runs of equal durations, one size for all samples or a size
// each, and chunks of samples that lie back to back. Nothing here grows by
// sample unless sizes vary, so an hour of PCM (one sample per frame) stays a
// handful of entries.
class SampleTable {
 public:
  struct TimeRun {
    std::uint32_t count = 0, duration = 0;
  };
  struct OffsetRun {
    std::uint32_t count = 0;
    std::int32_t offset = 0;
  };
  struct Chunk {
    std::uint64_t offset = 0;
    std::uint32_t sampleCount = 0;
    std::uint32_t description = 1;  // 1-based
  };
  // A stretch of samples in one chunk, for copying: its bytes lie in
  // [offset, offset + bytes) of the file its description names.
  struct Span {
    std::uint64_t firstSample = 0, sampleCount = 0;
    std::uint64_t offset = 0, bytes = 0;
    std::uint64_t duration = 0;
    std::uint32_t description = 1;
  };

  std::uint64_t SampleCount() const { return sampleCount_; }
  std::uint64_t Duration() const { return duration_; }
  std::uint32_t ConstantSize() const { return constantSize_; }
  const std::vector<TimeRun>& TimeRuns() const { return times_; }
  // Shared with whoever takes them, a writer or another table.
  const SharedVector<std::uint32_t>& Sizes() const { return sizes_; }
  const std::vector<Chunk>& Chunks() const { return chunks_; }
  const std::vector<OffsetRun>& CompositionOffsets() const { return composition_; }
  const std::optional<std::vector<std::uint32_t>>& SyncSamples() const { return sync_; }
  std::uint64_t SampleSize(std::uint64_t index) const {
    return constantSize_ != 0 || sizes_.empty() ? constantSize_ : sizes_[std::size_t(index)];
  }

  // Builds the table from the pieces a file holds; invalidSampleTable when
  // they do not agree on the number of samples or point outside themselves.
  OSErr Assign(std::vector<TimeRun> times, std::uint32_t constantSize, std::uint64_t sizeCount,
               SharedVector<std::uint32_t> sizes, std::vector<Chunk> chunks, std::vector<OffsetRun> composition,
               std::optional<std::vector<std::uint32_t>> sync, std::uint32_t descriptionCount);

  // The sample that plays at media time `time` and the time it starts;
  // false past the end.
  bool Locate(std::uint64_t time, std::uint64_t& sample, std::uint64_t& sampleStart) const;
  // The media time at which sample `index` starts (index = count gives the end).
  std::uint64_t StartOf(std::uint64_t index) const;

  // Appends samples [first, first + count) of `from`, their descriptions
  // renumbered by `descriptionOf` (from's 1-based index to ours).
  template <class Map>
  void AppendRange(const SampleTable& from, std::uint64_t first, std::uint64_t count, Map&& descriptionOf,
                   std::int32_t fromScale, std::int32_t toScale);
  // Appends `count` samples of `size` bytes each, lying back to back from
  // `offset`, each lasting `duration`, as one chunk.
  void AppendSamples(std::uint64_t offset, std::uint32_t size, std::uint32_t duration, std::uint32_t count,
                     std::uint32_t description, bool sync);

  // Walks the samples as stretches no longer than `maxDuration` that never
  // cross a chunk; `visit(const Span&)` returning false stops the walk.
  template <class Visit>
  void ForEachSpan(std::uint64_t maxDuration, Visit&& visit) const;

 private:
  void AppendTimes(const SampleTable& from, std::uint64_t first, std::uint64_t count, std::int32_t fromScale,
                   std::int32_t toScale);
  void AppendSizes(const SampleTable& from, std::uint64_t first, std::uint64_t count);
  void AppendComposition(const SampleTable& from, std::uint64_t first, std::uint64_t count);
  void AppendSync(const SampleTable& from, std::uint64_t first, std::uint64_t count);
  void AddTimeRun(std::uint32_t count, std::uint32_t duration);
  void SpreadSizes();  // a constant size becomes one size per sample
  std::uint64_t BytesOf(std::uint64_t first, std::uint64_t count) const;

  std::vector<TimeRun> times_;
  std::uint32_t constantSize_ = 0;
  SharedVector<std::uint32_t> sizes_;  // empty when the size is constant
  std::vector<Chunk> chunks_;
  std::vector<OffsetRun> composition_;  // empty when no sample is shown out of order
  std::optional<std::vector<std::uint32_t>> sync_;  // 1-based; none: every sample is a key sample
  std::uint64_t sampleCount_ = 0, duration_ = 0;
};

template <class Map>
void SampleTable::AppendRange(const SampleTable& from, std::uint64_t first, std::uint64_t count, Map&& descriptionOf,
                              std::int32_t fromScale, std::int32_t toScale) {
  if (count == 0) return;
  AppendComposition(from, first, count);
  AppendSync(from, first, count);
  AppendSizes(from, first, count);
  AppendTimes(from, first, count, fromScale, toScale);
  std::uint64_t chunkStart = 0;
  for (const Chunk& chunk : from.chunks_) {
    const std::uint64_t chunkEnd = chunkStart + chunk.sampleCount;
    const std::uint64_t lo = std::max(first, chunkStart), hi = std::min(first + count, chunkEnd);
    if (lo < hi)
      chunks_.push_back({chunk.offset + from.BytesOf(chunkStart, lo - chunkStart), std::uint32_t(hi - lo),
                         descriptionOf(chunk.description)});
    if (chunkEnd >= first + count) break;
    chunkStart = chunkEnd;
  }
  sampleCount_ += count;
}

template <class Visit>
void SampleTable::ForEachSpan(std::uint64_t maxDuration, Visit&& visit) const {
  std::uint64_t sample = 0;
  std::size_t run = 0;
  std::uint64_t leftInRun = times_.empty() ? 0 : times_[0].count;
  for (const Chunk& chunk : chunks_) {
    std::uint64_t offset = chunk.offset;
    for (std::uint64_t left = chunk.sampleCount; left > 0;) {
      Span span{.firstSample = sample, .offset = offset, .description = chunk.description};
      while (left > 0 && (span.sampleCount == 0 || span.duration < maxDuration)) {
        while (leftInRun == 0 && run + 1 < times_.size()) leftInRun = times_[++run].count;
        const std::uint64_t delta = run < times_.size() ? times_[run].duration : 0;
        std::uint64_t take = left;
        if (leftInRun > 0) take = std::min(take, leftInRun);
        if (delta > 0 && maxDuration > span.duration) take = std::min(take, (maxDuration - span.duration + delta - 1) / delta);
        take = std::max<std::uint64_t>(take, 1);
        span.bytes += BytesOf(sample + span.sampleCount, take);
        span.sampleCount += take;
        span.duration += take * delta;
        left -= take;
        leftInRun -= std::min(leftInRun, take);
      }
      if (!visit(span)) return;
      sample += span.sampleCount;
      offset += span.bytes;
    }
  }
}
