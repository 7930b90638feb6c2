#include "platform/quicktime/model/TrackRecord.h"

std::uint64_t TrackRecord::Duration() const {
  std::uint64_t total = 0;
  for (const Edit& edit : edits) total += edit.trackDuration;
  return total;
}

void TrackRecord::CopyHeaderFrom(const TrackRecord& source) {
  enabled = source.enabled;
  width = source.width;
  height = source.height;
  volume = source.volume;
  layer = source.layer;
  alternateGroup = source.alternateGroup;
  matrix = source.matrix;
}
