#include "assembly/SilencePadding.h"

#include <cmath>

#include "assembly/SoundFile.h"
#include "platform/helper/ErrorPrintf.h"
#include "platform/helper/FileSystem.h"

namespace {
UString SilenceFileName(const QTTrack& track, const std::string& silence) {
  UString name;
  name.format("%s%s30ss%d.mp4", GetProgramFolder().c_str(), silence.c_str(),
              int(GetMediaTimeScale(track.media.media)));
  return name;
}

// The padding movie for the track's sample rate, or false (reported).
bool OpenPadding(const QTTrack& track, const std::string& silence, SoundFile& padding) {
  const UString name = SilenceFileName(track, silence);
  if (!padding.Open(name)) {
    ErrorPrintf("Unable to open audio pading file %s\n", name.c_str());
    return false;
  }
  if (!padding.track) {
    ErrorPrintf("the audio padding file \"%s\" does not contain an audio track recognized by Quicktime\n",
                name.c_str());
    return false;
  }
  return true;
}

std::int64_t TrackLength(const QTTrack& track) { return GetTrackDuration(track.track); }
}  // namespace

std::int64_t MediaDurationInMovieScale(const QTMovie& movie, const QTTrack& track) {
  const std::int64_t scale = GetMediaTimeScale(track.media.media);
  if (scale <= 0) return 0;
  return std::int64_t(double(GetMediaPresentedDuration(track.media.media)) / double(scale) *
                      double(movie.GetTimeScale()));
}

void InsertSilence(QTTrack& track, const ScaledTime& gap, const std::string& silence) {
  if (gap.Value64In(gap.Scale()) < 1) return;
  SoundFile padding;
  if (!OpenPadding(track, silence, padding)) return;
  const std::int32_t paddingScale = padding.movie.GetTimeScale();
  const std::int64_t unit = TrackLength(*padding.track);
  // The gap in the padding movie's units, rounded up so that no sliver of it stays open.
  std::int64_t rest = std::int64_t(std::ceil(double(gap.Value64In(gap.Scale())) / gap.Scale() * paddingScale));
  while (unit > 0 && rest > unit) {
    track.InsertSegment(*padding.track, 0, -1, -1, false);
    rest -= unit;
  }
  if (rest > 0) track.InsertSegment(*padding.track, 0, rest, -1, false);
}

QTTrack* PadWithSilence(const QTMovie& movie, const ScaledTime& target, QTTrack& track, const std::string& silence) {
  const std::int64_t wanted = target.Value64In(movie.GetTimeScale());
  const std::int64_t heard = MediaDurationInMovieScale(movie, track);
  if (wanted <= heard) return &track;
  SoundFile padding;
  if (!OpenPadding(track, silence, padding)) return nullptr;
  const std::int64_t unit = MediaDurationInMovieScale(movie, *padding.track);
  const std::int64_t whole = unit > 0 ? (wanted - heard) / unit : 0;
  for (std::int64_t i = 0; i < whole; ++i) track.InsertSegment(*padding.track, 0, -1, -1, false);
  const std::int64_t rest = (wanted - heard) - whole * unit;
  if (rest > 0) {
    const double inPadding = double(rest) / movie.GetTimeScale() * padding.movie.GetTimeScale();
    track.InsertSegment(*padding.track, 0, std::int64_t(std::ceil(inPadding)), -1, false);
  }
  return &track;
}
