#pragma once
#include <cstdint>
#include <string>

#include "assembly/QTTrack.h"
#include "platform/quicktime/QtComponents.h"

// One movie and the file storage behind it: the working movie of a build, an
// audio or padding file read, or a file reported on. Closed by Close or when
// destroyed. Tracks handed out are new objects that the caller deletes.
class QTMovie {
 public:
  QTMovie() = default;
  ~QTMovie() { Close(); }
  QTMovie(const QTMovie&) = delete;
  QTMovie& operator=(const QTMovie&) = delete;

  bool CreateMovieFile(const std::string& path);
  bool OpenExistingMovie(const std::string& path);
  bool FlattenMovieToFile(const std::string& path);
  bool Close();
  bool ExportMpeg4(const std::string& path, const QTTrack* track);

  TimeScale GetTimeScale() const { return GetMovieTimeScale(movie); }
  void SetTimeScale(TimeScale scale) { SetMovieTimeScale(movie, scale); }

  // The n-th (from 0) sound or video track, or null.
  QTTrack* GetSoundTrack(int n);
  QTTrack* GetVideoTrack(int n);
  int CountVideoTracks();
  QTTrack* NewSoundTrack(std::int32_t width, std::int32_t height, TimeScale scale);
  QTTrack* NewVideoTrack(std::int32_t width, std::int32_t height, TimeScale scale);
  QTTrack* NewTextTrack(std::int32_t width, std::int32_t height, TimeScale scale);
  // An empty copy of `source` in this movie and, with media, the stretch
  // [start, start + duration) of it (duration -1: to its end); null on failure.
  QTTrack* AddTrackCopy(const QTTrack& source, bool withMedia, TimeValue start, TimeValue duration);

  Movie movie = nullptr;
  Handle dataRef = nullptr;
  OSType dataRefType = 0;
  DataHandler storage = nullptr;
  short resourceId = 0;
  std::string path;

 private:
  QTTrack* TrackOfType(OSType type, int n);
  QTTrack* NewTrack(OSType type, std::int32_t width, std::int32_t height, short volume, TimeScale scale);
};

// Prints each component that matches, one block each; the count.
int ListComponents(OSType type, OSType subType, OSType maker, std::uint32_t flags, std::uint32_t mask);
// The first movie exporter of that subtype and maker, its block printed; or null.
Component FindExporter(OSType subType, OSType maker);
