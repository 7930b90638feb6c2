#pragma once
#include <cstdint>

#include "assembly/QTMedia.h"
#include "platform/quicktime/Movies.h"

class QTMovie;

// One track of a movie and its media. Deleting the object leaves the track
// in the movie.
class QTTrack {
 public:
  QTTrack(QTMovie* movie, Track track);
  QTTrack(const QTTrack&) = delete;
  QTTrack& operator=(const QTTrack&) = delete;

  // Presents media time [mediaStart, mediaStart + duration) at `trackStart` (-1: the end).
  OSErr InsertMedia(TimeValue trackStart, TimeValue mediaStart, TimeValue duration, Fixed rate);
  void SetEnabled(bool enabled);
  // Copies a stretch of `source` (in its movie's units; duration -1: to its
  // end) to `destStart` of this track (-1: its end), optionally cut to whole
  // seconds; the duration inserted in the source's units, 0 on failure.
  TimeValue InsertSegment(const QTTrack& source, TimeValue sourceStart, TimeValue sourceDuration, TimeValue destStart,
                          bool roundToSeconds);

  Track track = nullptr;
  QTMovie* movie = nullptr;
  QTMedia media;
};
