#pragma once
#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/quicktime/QtErrors.h"
#include "platform/quicktime/atoms/SizeList.h"

// Where a media's samples lie and how long each lasts, held as the file
// formats hold it: runs of equal durations, one size for all samples or a size
// each, and chunks of samples that lie back to back. Nothing here grows by
// sample, so an hour of PCM (one sample per frame) stays a handful of
// entries, and sizes that vary point at the tables they were read into or
// the files they lie in (SizeList).
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
  class SpanCursor;

  // Shared with whoever takes them, a writer or another table.
  const SizeList& Sizes() const { return sizes_; }
  const std::vector<Chunk>& Chunks() const { return chunks_; }
  const std::vector<OffsetRun>& CompositionOffsets() const { return composition_; }
  const std::optional<std::vector<std::uint32_t>>& SyncSamples() const { return sync_; }
  // Fail only when a size lies in a file that can no longer be read.
  OSErr SampleSize(std::uint64_t index, std::uint32_t& size) const;
  OSErr BytesOf(std::uint64_t first, std::uint64_t count, std::uint64_t& bytes) const;  // of samples [first, first + count)

  // Builds the table from the pieces a file holds; invalidSampleTable when
  // they do not agree on the number of samples or point outside themselves.
  OSErr Assign(std::vector<TimeRun> times, std::uint32_t constantSize, std::uint64_t sizeCount,
               SizeList sizes, std::vector<Chunk> chunks, std::vector<OffsetRun> composition,
               std::optional<std::vector<std::uint32_t>> sync, std::uint32_t descriptionCount);

  // The sample that plays at media time `time` and the time it starts;
  // false past the end.
  bool Locate(std::uint64_t time, std::uint64_t& sample, std::uint64_t& sampleStart) const;
  // The media time at which sample `index` starts (index = count gives the end).
  std::uint64_t StartOf(std::uint64_t index) const;

  // Appends samples [first, first + count) of `from`, their descriptions
  // renumbered by `descriptionOf` (from's 1-based index to ours); unchanged
  // when the sizes of `from` cannot be read.
  template <class Map>
  OSErr AppendRange(const SampleTable& from, std::uint64_t first, std::uint64_t count, Map&& descriptionOf,
                   std::int32_t fromScale, std::int32_t toScale);
  // Appends `count` samples of `size` bytes each, lying back to back from
  // `offset`, each lasting `duration`, as one chunk.
  void AppendSamples(std::uint64_t offset, std::uint32_t size, std::uint32_t duration, std::uint32_t count,
                     std::uint32_t description, bool sync);

  // Walks the samples as stretches no longer than `maxDuration` that never
  // cross a chunk; `visit(const Span&)` returning false stops the walk.
  template <class Visit>
  OSErr ForEachSpan(std::uint64_t maxDuration, Visit&& visit) const;

 private:
  void AppendTimes(const SampleTable& from, std::uint64_t first, std::uint64_t count, std::int32_t fromScale,
                   std::int32_t toScale);
  void AppendSizes(const SampleTable& from, std::uint64_t first, std::uint64_t count);
  void AppendComposition(const SampleTable& from, std::uint64_t first, std::uint64_t count);
  void AppendSync(const SampleTable& from, std::uint64_t first, std::uint64_t count);
  void AddTimeRun(std::uint32_t count, std::uint32_t duration);
  void SpreadSizes();  // a constant size becomes a run of sizes

  std::vector<TimeRun> times_;
  std::uint32_t constantSize_ = 0;
  SizeList sizes_;  // empty when the size is constant
  std::vector<Chunk> chunks_;
  std::vector<OffsetRun> composition_;  // empty when no sample is shown out of order
  std::optional<std::vector<std::uint32_t>> sync_;  // 1-based; none: every sample is a key sample
  std::uint64_t sampleCount_ = 0, duration_ = 0;
};

// The samples in order, as stretches no longer than a duration that never
// cross a chunk; sizes that vary are read a block at a time.
class SampleTable::SpanCursor {
 public:
  SpanCursor(const SampleTable& table, std::uint64_t maxDuration)
      : table_(table), maxDuration_(maxDuration), sizes_(table.sizes_),
        leftInRun_(table.times_.empty() ? 0 : table.times_[0].count) {}
  // The next stretch; false at the end or when a size cannot be read (Status() and Why() say).
  bool Next(Span& span);
  OSErr Status() const { return sizes_.Status(); }
  const std::string& Why() const { return sizes_.Why(); }

 private:
  const SampleTable& table_;
  std::uint64_t maxDuration_;
  SizeList::Reader sizes_;
  std::size_t nextChunk_ = 0, run_ = 0;
  std::uint64_t leftInChunk_ = 0, leftInRun_ = 0, offset_ = 0, sample_ = 0;
  std::uint32_t description_ = 1;
};

template <class Map>
OSErr SampleTable::AppendRange(const SampleTable& from, std::uint64_t first, std::uint64_t count, Map&& descriptionOf,
                               std::int32_t fromScale, std::int32_t toScale) {
  if (count == 0) return noErr;
  std::vector<Chunk> added;
  std::uint64_t chunkStart = 0;
  for (const Chunk& chunk : from.chunks_) {
    const std::uint64_t chunkEnd = chunkStart + chunk.sampleCount;
    const std::uint64_t lo = std::max(first, chunkStart), hi = std::min(first + count, chunkEnd);
    std::uint64_t skipped = 0;
    if (lo < hi) {
      if (const OSErr err = from.BytesOf(chunkStart, lo - chunkStart, skipped); err != noErr) return err;
      added.push_back({chunk.offset + skipped, std::uint32_t(hi - lo), descriptionOf(chunk.description)});
    }
    if (chunkEnd >= first + count) break;
    chunkStart = chunkEnd;
  }
  AppendComposition(from, first, count);
  AppendSync(from, first, count);
  AppendSizes(from, first, count);
  AppendTimes(from, first, count, fromScale, toScale);
  chunks_.insert(chunks_.end(), added.begin(), added.end());
  sampleCount_ += count;
  return noErr;
}

template <class Visit>
OSErr SampleTable::ForEachSpan(std::uint64_t maxDuration, Visit&& visit) const {
  SpanCursor cursor(*this, maxDuration);
  Span span;
  while (cursor.Next(span))
    if (!visit(span)) break;
  return cursor.Status();
}
