#include "platform/quicktime/model/TrackRecord.h"

#include "platform/quicktime/TimeConversion.h"
#include "platform/quicktime/model/MovieRecord.h"

std::uint64_t TrackRecord::Duration() const {
  if (edits.empty()) return std::uint64_t(ConvertTimeScale(std::int64_t(media.Duration()), media.timeScale, movie.timeScale));
  std::uint64_t total = 0;
  for (const Edit& edit : edits) total += edit.trackDuration;
  return total;
}
