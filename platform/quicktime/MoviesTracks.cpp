// The track family: new tracks and media, their settings, empty copies,
// segment and media insertion, track references, and where a track presents
// its media.
#include <algorithm>

#include "platform/quicktime/Movies.h"
#include "platform/quicktime/ToolboxState.h"
#include "platform/quicktime/TrackEditor.h"
#include "platform/quicktime/model/MovieRecord.h"

namespace {
OSErr Done(OSErr err) { return ToolboxState::Result(err); }

const char* HandlerName(OSType type) {
  switch (type) {
    case Tag("soun"): return "Sound Media Handler";
    case Tag("vide"): return "Video Media Handler";
    case Tag("text"): return "Text Media Handler";
    default: return "Media Handler";
  }
}
}  // namespace

Track NewMovieTrack(Movie movie, Fixed width, Fixed height, short volume) {
  if (!movie) return Done(invalidMovie), nullptr;
  TrackRecord& track = movie->AddTrack();
  track.width = width;
  track.height = height;
  track.volume = volume;
  Done(noErr);
  return &track;
}

Media NewTrackMedia(Track track, OSType mediaType, TimeScale scale, Handle dataRef, OSType) {
  if (!track) return Done(invalidTrack), nullptr;
  if (scale <= 0 || mediaType == 0) return Done(paramErr), nullptr;
  MediaRecord& media = track->media;
  media.type = mediaType;
  media.timeScale = scale;
  const std::string path = dataRef ? std::string(dataRef->begin(), dataRef->end()) : track->movie.storagePath;
  if (!path.empty()) media.ShareDataRef(path);
  Done(noErr);
  return &media;
}

Media GetTrackMedia(Track track) {
  if (!track || track->media.type == 0) return Done(invalidTrack), nullptr;
  Done(noErr);
  return &track->media;
}

Track GetMediaTrack(Media media) {
  if (!media) return Done(invalidMedia), nullptr;
  Done(noErr);
  return &media->track;
}

Movie GetTrackMovie(Track track) {
  if (!track) return Done(invalidTrack), nullptr;
  Done(noErr);
  return &track->movie;
}

long GetTrackID(Track track) {
  if (!track) return Done(invalidTrack), 0;
  Done(noErr);
  return long(track->id);
}

void GetMediaHandlerDescription(Media media, OSType* mediaType, std::string* name, OSType* manufacturer) {
  if (!media) return void(Done(invalidMedia));
  if (mediaType) *mediaType = media->type;
  if (name) *name = HandlerName(media->type);
  if (manufacturer) *manufacturer = 0;
  Done(noErr);
}

void SetTrackEnabled(Track track, bool enabled) {
  if (!track) return void(Done(invalidTrack));
  track->enabled = enabled;
  Done(noErr);
}

bool GetTrackEnabled(Track track) {
  if (!track) return Done(invalidTrack), false;
  Done(noErr);
  return track->enabled;
}

TimeValue GetTrackDuration(Track track) {
  if (!track) return Done(invalidTrack), 0;
  return ToolboxState::Duration(track->Duration());
}

OSErr AddEmptyTrackToMovie(Track source, Movie into, Handle dataRef, OSType dataRefType, Track* added) {
  if (!source) return Done(invalidTrack);
  if (!into) return Done(invalidMovie);
  TrackRecord& track = into->AddTrack();
  track.CopyHeaderFrom(*source);
  Media media = NewTrackMedia(&track, source->media.type, source->media.timeScale, dataRef, dataRefType);
  if (!media) return GetMoviesError();
  media->language = source->media.language;
  media->graphicsMode = source->media.graphicsMode;
  media->opColor = source->media.opColor;
  if (added) *added = &track;
  return Done(noErr);
}

OSErr InsertTrackSegment(Track source, Track dest, TimeValue sourceIn, TimeValue duration, TimeValue destIn) {
  if (!source || !dest) return Done(invalidTrack);
  return Done(TrackEditor(*dest).InsertSegment(*source, sourceIn, duration, destIn));
}

OSErr InsertMediaIntoTrack(Track track, TimeValue trackStart, TimeValue mediaTime, TimeValue mediaDuration, Fixed rate) {
  if (!track) return Done(invalidTrack);
  return Done(TrackEditor(*track).InsertMedia(trackStart, mediaTime, mediaDuration, rate));
}

OSErr AddTrackReference(Track track, Track referenced, OSType kind, long* index) {
  if (!track || !referenced || &track->movie != &referenced->movie) return Done(invalidTrack);
  std::vector<std::uint32_t>& ids = track->references[kind];
  auto found = std::find(ids.begin(), ids.end(), referenced->id);
  if (found == ids.end()) found = ids.insert(ids.end(), referenced->id);
  if (index) *index = long(found - ids.begin() + 1);
  return Done(noErr);
}

long GetTrackReferenceCount(Track track, OSType kind) {
  if (!track) return Done(invalidTrack), 0;
  Done(noErr);
  const auto found = track->references.find(kind);
  return found == track->references.end() ? 0 : long(found->second.size());
}

Track GetTrackReference(Track track, OSType kind, long index) {
  if (!track) return Done(invalidTrack), nullptr;
  const auto found = track->references.find(kind);
  if (index < 1 || found == track->references.end() || std::size_t(index) > found->second.size())
    return Done(badTrackIndex), nullptr;
  TrackRecord* referenced = track->movie.TrackById(found->second[std::size_t(index - 1)]);
  Done(referenced ? noErr : trackIDNotFound);
  return referenced;
}

TimeValue GetTrackOffset(Track track) {
  if (!track) return Done(invalidTrack), 0;
  std::uint64_t empty = 0;
  for (const TrackRecord::Edit& edit : track->edits) {
    if (edit.mediaTime >= 0) break;
    empty += edit.trackDuration;
  }
  return ToolboxState::Duration(empty);
}

TimeValue TrackTimeToMediaTime(TimeValue value, Track track) {
  if (!track) return Done(invalidTrack), -1;
  if (value < 0) return Done(invalidTime), -1;
  Done(noErr);
  std::uint64_t editStart = 0;
  for (const TrackRecord::Edit& edit : track->edits) {
    const std::uint64_t into = std::uint64_t(value) - editStart;
    editStart += edit.trackDuration;
    if (std::uint64_t(value) >= editStart) continue;
    if (edit.mediaTime < 0) return -1;
    return edit.mediaTime + ConvertTimeScale(TimeValue(into), track->movie.timeScale, track->media.timeScale);
  }
  return -1;
}
