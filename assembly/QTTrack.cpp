#include "assembly/QTTrack.h"

#include <cstdio>

namespace {
OSType MediaTypeOf(Track track) {
  OSType type = 0;
  if (Media media = GetTrackMedia(track)) GetMediaHandlerDescription(media, &type, nullptr, nullptr);
  return type;
}

TimeValue Failed(OSErr err) {
  std::printf("failed to insert track segment: %d\n", err);
  return 0;
}
}  // namespace

QTTrack::QTTrack(QTMovie* movie, Track track)
    : track(track), movie(movie), media(GetTrackMedia(track), this, MediaTypeOf(track)) {}

OSErr QTTrack::InsertMedia(TimeValue trackStart, TimeValue mediaStart, TimeValue duration, Fixed rate) {
  return InsertMediaIntoTrack(track, trackStart, mediaStart, duration, rate);
}

void QTTrack::SetEnabled(bool enabled) { SetTrackEnabled(track, enabled); }

TimeValue QTTrack::InsertSegment(const QTTrack& source, TimeValue sourceStart, TimeValue sourceDuration,
                                 TimeValue destStart, bool roundToSeconds) {
  const TimeScale sourceScale = GetMovieTimeScale(GetTrackMovie(source.track));
  const TimeScale destScale = GetMovieTimeScale(GetTrackMovie(track));
  const TimeValue length = GetTrackDuration(source.track);
  if (const OSErr err = GetMoviesError(); err != noErr) return Failed(err);
  if (sourceStart < 0 || sourceStart >= length) return 0;
  const TimeValue available = length - sourceStart;
  TimeValue duration = sourceDuration > 0 && sourceDuration <= available ? sourceDuration : available;
  if (destStart == -1) destStart = GetTrackDuration(track);
  if (roundToSeconds && sourceScale > 0 && destScale > 0) {
    sourceStart -= sourceStart % sourceScale;
    duration -= duration % sourceScale;
    destStart -= destStart % destScale;
  }
  const OSErr err = InsertTrackSegment(source.track, track, sourceStart, duration, destStart);
  return err != noErr ? Failed(err) : duration;
}
