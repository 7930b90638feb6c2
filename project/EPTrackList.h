#pragma once
#include <cstdint>
#include <deque>

class EditPoint;

using EditPoints = std::deque<EditPoint*>;

// The edit points of one track, in section order, each with its start and
// duration in the track's time scale. It points at edit points that an
// EditPointList owns and never deletes them.
class EPTrackList : public EditPoints {
 public:
  explicit EPTrackList(std::int32_t type) : trackType(type) {}

  std::int32_t trackType;  // the TypeId of the entries
};
