#include "platform/quicktime/model/SampleTable.h"

#include <algorithm>
#include <numeric>

#include "platform/quicktime/TimeConversion.h"

OSErr SampleTable::Assign(std::vector<TimeRun> times, std::uint32_t constantSize, std::uint64_t sizeCount,
                          SizeList sizes, std::vector<Chunk> chunks,
                          std::vector<OffsetRun> composition, std::optional<std::vector<std::uint32_t>> sync,
                          std::uint32_t descriptionCount) {
  std::uint64_t timed = 0, duration = 0, chunked = 0, shifted = 0;
  for (const TimeRun& run : times) {
    timed += run.count;
    duration += std::uint64_t(run.count) * run.duration;
  }
  for (const Chunk& chunk : chunks) {
    if (chunk.description == 0 || chunk.description > descriptionCount) return invalidSampleDescIndex;
    chunked += chunk.sampleCount;
  }
  for (const OffsetRun& run : composition) shifted += run.count;
  const bool sizesAgree = constantSize != 0 ? sizes.empty() : sizes.size() == sizeCount;
  if (!sizesAgree || timed != sizeCount || chunked != sizeCount || (!composition.empty() && shifted != sizeCount))
    return invalidSampleTable;
  if (sync && std::any_of(sync->begin(), sync->end(), [&](std::uint32_t s) { return s == 0 || s > sizeCount; }))
    return invalidSampleTable;
  times_ = std::move(times);
  constantSize_ = constantSize;
  sizes_ = std::move(sizes);
  chunks_ = std::move(chunks);
  composition_ = std::move(composition);
  sync_ = std::move(sync);
  sampleCount_ = sizeCount;
  duration_ = duration;
  return noErr;
}

bool SampleTable::Locate(std::uint64_t time, std::uint64_t& sample, std::uint64_t& sampleStart) const {
  std::uint64_t index = 0, start = 0;
  for (const TimeRun& run : times_) {
    const std::uint64_t span = std::uint64_t(run.count) * run.duration;
    if (time < start + span) {
      const std::uint64_t inRun = (time - start) / run.duration;
      sample = index + inRun;
      sampleStart = start + inRun * run.duration;
      return true;
    }
    index += run.count;
    start += span;
  }
  return false;
}

std::uint64_t SampleTable::StartOf(std::uint64_t index) const {
  std::uint64_t start = 0;
  for (const TimeRun& run : times_) {
    const std::uint64_t take = std::min<std::uint64_t>(index, run.count);
    start += take * run.duration;
    index -= take;
    if (index == 0) break;
  }
  return start;
}

void SampleTable::AppendSamples(std::uint64_t offset, std::uint32_t size, std::uint32_t duration, std::uint32_t count,
                                std::uint32_t description, bool sync) {
  if (count == 0) return;
  if (sampleCount_ == 0 && size != 0) constantSize_ = size;
  // a size of 0 cannot stand as the constant size (it means "sizes vary"), so it is always listed
  if (constantSize_ != size || size == 0) {
    SpreadSizes();
    sizes_.AppendConstant(size, count);
  }
  if (!sync && !sync_) {
    sync_.emplace(std::uint32_t(sampleCount_), 0u);
    std::iota(sync_->begin(), sync_->end(), 1u);
  }
  if (sync && sync_)
    for (std::uint32_t i = 0; i < count; ++i) sync_->push_back(std::uint32_t(sampleCount_ + i + 1));
  if (!composition_.empty()) composition_.push_back({count, 0});
  chunks_.push_back({offset, count, description});
  AddTimeRun(count, duration);
  sampleCount_ += count;
}

void SampleTable::AppendTimes(const SampleTable& from, std::uint64_t first, std::uint64_t count,
                              std::int32_t fromScale, std::int32_t toScale) {
  std::uint64_t index = 0;
  for (const TimeRun& run : from.times_) {
    const std::uint64_t lo = std::max(first, index), hi = std::min(first + count, index + run.count);
    if (lo < hi) AddTimeRun(std::uint32_t(hi - lo), std::uint32_t(ConvertTimeScale(run.duration, fromScale, toScale)));
    index += run.count;
    if (index >= first + count) break;
  }
}

void SampleTable::AppendSizes(const SampleTable& from, std::uint64_t first, std::uint64_t count) {
  const bool bothConstant = from.sizes_.empty() && (sampleCount_ == 0 || (sizes_.empty() && constantSize_ == from.constantSize_));
  if (bothConstant) {
    constantSize_ = from.constantSize_;
    return;
  }
  SpreadSizes();
  if (from.sizes_.empty())
    sizes_.AppendConstant(from.constantSize_, count);
  else
    sizes_.AppendRange(from.sizes_, first, count);
}

void SampleTable::AppendComposition(const SampleTable& from, std::uint64_t first, std::uint64_t count) {
  if (from.composition_.empty() && composition_.empty()) return;
  if (composition_.empty() && sampleCount_ > 0) composition_.push_back({std::uint32_t(sampleCount_), 0});
  if (from.composition_.empty()) return composition_.push_back({std::uint32_t(count), 0});
  std::uint64_t index = 0;
  for (const OffsetRun& run : from.composition_) {
    const std::uint64_t lo = std::max(first, index), hi = std::min(first + count, index + run.count);
    if (lo < hi) composition_.push_back({std::uint32_t(hi - lo), run.offset});
    index += run.count;
  }
}

void SampleTable::AppendSync(const SampleTable& from, std::uint64_t first, std::uint64_t count) {
  if (!from.sync_ && !sync_) return;
  if (!sync_) {
    sync_.emplace(std::uint32_t(sampleCount_), 0u);
    std::iota(sync_->begin(), sync_->end(), 1u);
  }
  for (std::uint64_t i = first; i < first + count; ++i) {
    const bool key = !from.sync_ || std::binary_search(from.sync_->begin(), from.sync_->end(), std::uint32_t(i + 1));
    if (key) sync_->push_back(std::uint32_t(sampleCount_ + (i - first) + 1));
  }
}

void SampleTable::AddTimeRun(std::uint32_t count, std::uint32_t duration) {
  if (!times_.empty() && times_.back().duration == duration && times_.back().count <= UINT32_MAX - count) {
    times_.back().count += count;
  } else {
    times_.push_back({count, duration});
  }
  duration_ += std::uint64_t(count) * duration;
}

void SampleTable::SpreadSizes() {
  if (!sizes_.empty() || sampleCount_ == 0) {
    constantSize_ = 0;
    return;
  }
  sizes_.AppendConstant(constantSize_, sampleCount_);
  constantSize_ = 0;
}

OSErr SampleTable::BytesOf(std::uint64_t first, std::uint64_t count, std::uint64_t& bytes) const {
  bytes = 0;
  if (sizes_.empty() || count == 0) {
    bytes = count * constantSize_;
    return noErr;
  }
  SizeList::Reader reader(sizes_, first);
  reader.Sum(count, bytes);
  return reader.Status();
}

OSErr SampleTable::SampleSize(std::uint64_t index, std::uint32_t& size) const {
  size = constantSize_;
  if (sizes_.empty()) return index < sampleCount_ ? OSErr(noErr) : OSErr(invalidSampleNum);
  SizeList::Reader reader(sizes_, index);
  return reader.Next(size) ? OSErr(noErr) : reader.Status();
}

bool SampleTable::SpanCursor::Next(Span& span) {
  const std::vector<TimeRun>& times = table_.times_;
  while (leftInChunk_ == 0) {
    if (nextChunk_ == table_.chunks_.size()) return false;
    const Chunk& chunk = table_.chunks_[nextChunk_++];
    leftInChunk_ = chunk.sampleCount;
    offset_ = chunk.offset;
    description_ = chunk.description;
  }
  span = Span{.firstSample = sample_, .offset = offset_, .description = description_};
  while (leftInChunk_ > 0 && (span.sampleCount == 0 || span.duration < maxDuration_)) {
    while (leftInRun_ == 0 && run_ + 1 < times.size()) leftInRun_ = times[++run_].count;
    const std::uint64_t delta = run_ < times.size() ? times[run_].duration : 0;
    std::uint64_t take = leftInChunk_;
    if (leftInRun_ > 0) take = std::min(take, leftInRun_);
    if (delta > 0 && maxDuration_ > span.duration)
      take = std::min(take, (maxDuration_ - span.duration + delta - 1) / delta);
    take = std::max<std::uint64_t>(take, 1);
    if (table_.sizes_.empty())
      span.bytes += take * table_.constantSize_;
    else if (!sizes_.Sum(take, span.bytes))
      return false;
    span.sampleCount += take;
    span.duration += take * delta;
    leftInChunk_ -= take;
    leftInRun_ -= std::min(leftInRun_, take);
  }
  sample_ += span.sampleCount;
  offset_ += span.bytes;
  return true;
}
