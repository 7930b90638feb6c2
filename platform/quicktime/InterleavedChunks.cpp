#include "platform/quicktime/InterleavedChunks.h"

InterleavedChunks::InterleavedChunks(const MovieRecord& movie)
    : movie_(movie), next_(movie.tracks.size()), start_(movie.tracks.size(), 0) {
  for (const auto& track : movie.tracks) {
    const MediaRecord& media = track->media;
    cursors_.push_back(std::make_unique<SampleTable::SpanCursor>(media.samples, std::uint64_t(media.timeScale) / 2));
  }
  for (std::size_t t = 0; t < cursors_.size(); ++t) Advance(t);
}

void InterleavedChunks::Advance(std::size_t track) {
  SampleTable::Span span;
  SampleTable::SpanCursor& cursor = *cursors_[track];
  if (cursor.Next(span)) return void(next_[track] = span);
  next_[track].reset();
  if (cursor.Status() != noErr && err_ == noErr) {
    err_ = cursor.Status();
    why_ = cursor.Why();
  }
}

bool InterleavedChunks::Earlier(std::size_t a, std::size_t b) const {
  using Wide = unsigned __int128;
  return Wide(start_[a]) * Wide(movie_.tracks[b]->media.timeScale) <
         Wide(start_[b]) * Wide(movie_.tracks[a]->media.timeScale);
}

bool InterleavedChunks::Next(Chunk& chunk) {
  if (err_ != noErr) return false;
  std::size_t pick = next_.size();
  for (std::size_t t = 0; t < next_.size(); ++t)
    if (next_[t] && (pick == next_.size() || Earlier(t, pick))) pick = t;
  if (pick == next_.size()) return false;
  chunk = {pick, *next_[pick]};
  start_[pick] += chunk.span.duration;
  Advance(pick);
  return true;
}
