#include "platform/quicktime/model/MovieRecord.h"

#include <algorithm>

#include "platform/quicktime/TimeConversion.h"

std::uint64_t MovieRecord::Duration() const {
  std::uint64_t longest = 0;
  for (const auto& track : tracks) longest = std::max(longest, track->Duration());
  return longest;
}

TrackRecord& MovieRecord::AddTrack() {
  auto& track = *tracks.emplace_back(std::make_unique<TrackRecord>(*this));
  track.id = nextTrackId++;
  return track;
}

TrackRecord* MovieRecord::TrackById(std::uint32_t id) const {
  for (const auto& track : tracks)
    if (track->id == id) return track.get();
  return nullptr;
}

void MovieRecord::SetTimeScale(TimeScale scale) {
  if (scale <= 0 || scale == timeScale) return;
  for (auto& track : tracks)
    for (TrackRecord::Edit& edit : track->edits)
      edit.trackDuration = std::uint64_t(ConvertTimeScale(std::int64_t(edit.trackDuration), timeScale, scale));
  timeScale = scale;
}
