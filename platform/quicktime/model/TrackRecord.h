#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "platform/quicktime/QtTypes.h"
#include "platform/quicktime/atoms/Matrix.h"
#include "platform/quicktime/atoms/RawAtom.h"
#include "platform/quicktime/model/MediaRecord.h"

class MovieRecord;

// One track: its header values, its edit list (which stretches of the media
// it presents, in movie time) and its references to other tracks.
class TrackRecord {
 public:
  struct Edit {
    std::uint64_t trackDuration = 0;  // movie units
    std::int64_t mediaTime = 0;       // media units; -1: nothing plays
    Fixed rate = fixed1;
  };

  explicit TrackRecord(MovieRecord& movie) : movie(movie), media(*this) {}
  TrackRecord(const TrackRecord&) = delete;
  TrackRecord& operator=(const TrackRecord&) = delete;

  MovieRecord& movie;
  std::uint32_t id = 0;
  bool enabled = true;
  Fixed width = 0, height = 0;
  std::int16_t volume = 0, layer = 0, alternateGroup = 0;
  Matrix matrix = kIdentityMatrix;
  std::vector<Edit> edits;
  std::map<OSType, std::vector<std::uint32_t>> references;  // kind ('chap', ...) -> track IDs
  std::vector<RawAtom> userData;
  MediaRecord media;

  // Takes the header values (enabled flag, size, volume, layer, group, matrix) of `source`.
  void CopyHeaderFrom(const TrackRecord& source);
  // The track's length in movie units: the sum of its edits. A track presents
  // nothing of its media but what its edits say.
  std::uint64_t Duration() const;
};
