#include "platform/quicktime/model/TrackRecord.h"

std::uint64_t TrackRecord::Duration() const {
  std::uint64_t total = 0;
  for (const Edit& edit : edits) total += edit.trackDuration;
  return total;
}
