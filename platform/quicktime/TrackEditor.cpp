#include "platform/quicktime/TrackEditor.h"

#include <algorithm>

#include "platform/quicktime/QtErrors.h"
#include "platform/quicktime/TimeConversion.h"

namespace {
constexpr OSType kSound = Tag("soun");
}  // namespace

OSErr TrackEditor::InsertSegment(const TrackRecord& source, std::int64_t sourceIn, std::int64_t duration,
                                 std::int64_t destIn) {
  if (sourceIn < 0 || duration < 0) return invalidDuration;
  if (source.media.type != track_.media.type) return mediaTypesDontMatch;
  const std::vector<TrackRecord::Edit> before = track_.edits;
  std::vector<TrackRecord::Edit> added;
  const std::uint64_t begin = std::uint64_t(sourceIn), end = begin + std::uint64_t(duration);
  std::uint64_t at = 0;
  for (const TrackRecord::Edit& edit : source.edits) {
    const std::uint64_t lo = std::max(begin, at), hi = std::min(end, at + edit.trackDuration);
    if (lo < hi)
      if (const OSErr err = AppendPiece(source, edit, lo - at, hi - lo, added); err != noErr) return err;
    at += edit.trackDuration;
    if (at >= end) break;
  }
  PlaceEdits(destIn, before, std::move(added));
  return noErr;
}

OSErr TrackEditor::AppendPiece(const TrackRecord& source, const TrackRecord::Edit& edit, std::uint64_t fromInEdit,
                               std::uint64_t length, std::vector<TrackRecord::Edit>& added) {
  const TimeScale sourceScale = source.movie.timeScale, destScale = track_.movie.timeScale;
  const std::uint64_t destLength = std::uint64_t(ConvertTimeScale(std::int64_t(length), sourceScale, destScale));
  if (edit.mediaTime < 0) {
    added.push_back({destLength, -1, fixed1});
    return noErr;
  }
  const MediaRecord& media = source.media;
  const std::uint64_t mediaStart =
      std::uint64_t(edit.mediaTime) + std::uint64_t(ConvertTimeScale(std::int64_t(fromInEdit), sourceScale, media.timeScale));
  const std::uint64_t mediaEnd = std::min<std::uint64_t>(
      media.Duration(), mediaStart + std::uint64_t(ConvertTimeScale(std::int64_t(length), sourceScale, media.timeScale)));
  std::uint64_t first = 0, firstStart = 0, last = 0, lastStart = 0;
  if (mediaStart >= mediaEnd || !media.samples.Locate(mediaStart, first, firstStart) ||
      !media.samples.Locate(mediaEnd - 1, last, lastStart))
    return noErr;  // nothing of the media lies there
  if (media.type == kSound && first > 0) {  // decoders need the sample before to rebuild the first one
    --first;
    firstStart = media.samples.StartOf(first);
  }
  std::uint64_t placed = 0;
  if (const OSErr err = AppendSamples(media, first, last - first + 1, placed); err != noErr) return err;
  const std::uint64_t trim = std::uint64_t(ConvertTimeScale(std::int64_t(mediaStart - firstStart), media.timeScale, track_.media.timeScale));
  const bool toTheEnd = mediaEnd == media.Duration() && edit.rate == fixed1;
  // to the media's end: all of it, though the other clock must round
  const std::uint64_t presented =
      toTheEnd ? std::uint64_t(ConvertTimeScaleUp(std::int64_t(mediaEnd - mediaStart), media.timeScale, destScale)) : destLength;
  added.push_back({presented, std::int64_t(placed + trim), edit.rate});
  return noErr;
}

OSErr TrackEditor::AppendSamples(const MediaRecord& from, std::uint64_t first, std::uint64_t count,
                                 std::uint64_t& start) {
  MediaRecord& media = track_.media;
  start = media.Duration();
  std::vector<std::uint32_t> descriptionOf;
  for (std::uint32_t i = 1; i <= from.descriptions.size(); ++i) {
    std::vector<std::uint8_t> bytes = from.descriptions[i - 1];
    const std::uint16_t ref = from.DataRefOf(i);
    if (ref > 0 && ref <= from.dataRefs.size() && bytes.size() >= MediaRecord::kDataRefIndexAt + 2) {
      const std::uint16_t ours = media.ShareDataRef(from.dataRefs[ref - 1]);
      bytes[MediaRecord::kDataRefIndexAt] = std::uint8_t(ours >> 8);
      bytes[MediaRecord::kDataRefIndexAt + 1] = std::uint8_t(ours);
    }
    descriptionOf.push_back(media.ShareDescription(bytes));
  }
  return media.samples.AppendRange(
      from.samples, first, count, [&](std::uint32_t index) { return descriptionOf[index - 1]; }, from.timeScale,
      media.timeScale);
}

OSErr TrackEditor::InsertMedia(std::int64_t trackStart, std::int64_t mediaTime, std::int64_t mediaDuration, Fixed rate) {
  if (mediaDuration < 0 || mediaTime < -1) return invalidDuration;
  if (mediaDuration == 0) return noErr;
  const MediaRecord& media = track_.media;
  const bool toTheEnd = mediaTime >= 0 && std::uint64_t(mediaTime + mediaDuration) >= media.Duration();
  const auto length = std::uint64_t((toTheEnd ? ConvertTimeScaleUp : ConvertTimeScale)(mediaDuration, media.timeScale,
                                                                                       track_.movie.timeScale));
  PlaceEdits(trackStart, track_.edits, {{length, mediaTime, rate}});
  return noErr;
}

void TrackEditor::PlaceEdits(std::int64_t at, std::vector<TrackRecord::Edit> edits,
                             std::vector<TrackRecord::Edit> added) {
  if (added.empty()) return;
  std::uint64_t length = 0;
  for (const TrackRecord::Edit& edit : edits) length += edit.trackDuration;
  if (at < 0 || std::uint64_t(at) >= length) {
    if (at > 0 && std::uint64_t(at) > length) edits.push_back({std::uint64_t(at) - length, -1, fixed1});
    edits.insert(edits.end(), added.begin(), added.end());
  } else {
    std::uint64_t start = 0;
    auto it = edits.begin();
    while (it != edits.end() && start + it->trackDuration <= std::uint64_t(at)) start += (it++)->trackDuration;
    if (it != edits.end() && start < std::uint64_t(at)) {  // split the edit the insertion falls into
      TrackRecord::Edit tail = *it;
      const std::uint64_t head = std::uint64_t(at) - start;
      it->trackDuration = head;
      tail.trackDuration -= head;
      if (tail.mediaTime >= 0)
        tail.mediaTime += ConvertTimeScale(std::int64_t(head), track_.movie.timeScale, track_.media.timeScale);
      it = edits.insert(it + 1, tail);
    }
    edits.insert(it, added.begin(), added.end());
  }
  track_.edits = Merged(edits);
}

bool TrackEditor::Continues(const TrackRecord::Edit& edit, const TrackRecord::Edit& next) const {
  if (edit.rate != next.rate) return false;
  if (edit.mediaTime < 0 || next.mediaTime < 0) return edit.mediaTime < 0 && next.mediaTime < 0;
  if (edit.rate != fixed1) return false;
  const unsigned __int128 scaled = (unsigned __int128)edit.trackDuration * std::uint32_t(track_.media.timeScale);
  const std::uint32_t movieScale = std::uint32_t(track_.movie.timeScale);
  return movieScale > 0 && scaled % movieScale == 0 && std::uint64_t(next.mediaTime - edit.mediaTime) == scaled / movieScale;
}

std::vector<TrackRecord::Edit> TrackEditor::Merged(const std::vector<TrackRecord::Edit>& edits) const {
  std::vector<TrackRecord::Edit> merged;
  for (const TrackRecord::Edit& edit : edits) {
    if (edit.trackDuration == 0) continue;
    if (!merged.empty() && Continues(merged.back(), edit))
      merged.back().trackDuration += edit.trackDuration;
    else
      merged.push_back(edit);
  }
  return merged;
}
