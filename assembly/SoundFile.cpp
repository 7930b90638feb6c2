#include "assembly/SoundFile.h"

bool SoundFile::Open(const std::string& path) {
  track.reset();
  if (!movie.OpenExistingMovie(path)) return false;
  track.reset(movie.GetSoundTrack(0));
  if (track) movie.SetTimeScale(Rate());
  return true;
}

std::int32_t SoundFile::Rate() const { return track ? GetMediaTimeScale(track->media.media) : 0; }

std::int64_t SoundFile::Length() const { return track ? GetMediaPresentedDuration(track->media.media) : 0; }
