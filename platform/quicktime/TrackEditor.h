#pragma once
#include <cstdint>
#include <vector>

#include "platform/quicktime/QtTypes.h"
#include "platform/quicktime/model/MovieRecord.h"

// Edits a track's presentation: copies what another track presents, by
// sample reference, and places stretches of media on the track's timeline.
class TrackEditor {
 public:
  explicit TrackEditor(TrackRecord& track) : track_(track) {}

  OSErr InsertSegment(const TrackRecord& source, std::int64_t sourceIn, std::int64_t duration, std::int64_t destIn);
  OSErr InsertMedia(std::int64_t trackStart, std::int64_t mediaTime, std::int64_t mediaDuration, Fixed rate);
  // Copies samples [first, first + count) of `from` to the end of our media;
  // `start` receives the media time at which they start.
  OSErr AppendSamples(const MediaRecord& from, std::uint64_t first, std::uint64_t count, std::uint64_t& start);

 private:
  OSErr AppendPiece(const TrackRecord& source, const TrackRecord::Edit& edit, std::uint64_t fromInEdit,
                    std::uint64_t length, std::vector<TrackRecord::Edit>& added);
  // Puts `added` into `edits` (the track's presentation before) at track time `at` (-1: the end).
  void PlaceEdits(std::int64_t at, std::vector<TrackRecord::Edit> edits, std::vector<TrackRecord::Edit> added);
  // Whether `next` carries on exactly where `edit` ends, so that one edit can say both.
  bool Continues(const TrackRecord::Edit& edit, const TrackRecord::Edit& next) const;
  // Joins the edits that continue each other and drops the empty ones, so that
  // a track built by many insertions keeps a short edit list.
  std::vector<TrackRecord::Edit> Merged(const std::vector<TrackRecord::Edit>& edits) const;

  TrackRecord& track_;
};
