#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/quicktime/QtTypes.h"
#include "platform/quicktime/TimeConversion.h"
#include "platform/quicktime/atoms/Matrix.h"
#include "platform/quicktime/atoms/RawAtom.h"
#include "platform/quicktime/model/TrackRecord.h"

class WorkingFile;

// A movie: its clock, its tracks (1-based by index) and user data, and the
// file that holds the samples it adds itself.
class MovieRecord {
 public:
  MovieRecord() = default;
  MovieRecord(const MovieRecord&) = delete;  // tracks refer back to their movie
  MovieRecord& operator=(const MovieRecord&) = delete;

  TimeScale timeScale = 600;
  Matrix matrix = kIdentityMatrix;
  std::uint32_t nextTrackId = 1;
  std::uint64_t created = MovieClockNow(), modified = created;  // every header of the movie carries these
  std::vector<std::unique_ptr<TrackRecord>> tracks;
  std::vector<RawAtom> userData;
  std::string storagePath;  // the movie's own file; empty when it has none
  std::shared_ptr<WorkingFile> workingFile;  // keeps that file open while the movie lives
  // What was mended to read the movie's file, one short phrase each.
  std::vector<std::string> repairs;
  // Told when a flatten opens, how far it has come, and when it closes.
  std::function<OSErr(short message, double fraction)> progress;

  std::uint64_t Duration() const;
  TrackRecord& AddTrack();
  TrackRecord* TrackById(std::uint32_t id) const;
  // Changes the clock and carries every edit over to it.
  void SetTimeScale(TimeScale scale);
};
