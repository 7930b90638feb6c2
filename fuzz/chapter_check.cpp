// The chapter check reads whatever file a user names at atom level: any
// bytes must give a report and its warnings, or a refusal, never a fault.
#include <cstddef>
#include <cstdint>
#include <span>

#include "formats/ChapterCheck.h"
#include "formats/ChapterSources.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ChapterSources sources;
  if (!sources.Read(std::span(data, size))) return 0;
  const ChapterCheck check(sources);
  std::size_t printed = check.Warnings().size();
  for (const MovieTrack* track : sources.ChapterTracks())
    for (const CheckedChapter& c : check.TrackChapters(*track))
      printed += ChapterCheck::Printable(c.title).size() + ChapterCheck::Seconds(c.end).size();
  for (const CheckedChapter& c : check.ChplChapters()) printed += ChapterCheck::Printable(c.title).size();
  for (const MovieTrack* track : sources.LinkTracks())
    for (const TrackSample& s : track->samples) printed += ChapterCheck::Printable(s.link.value_or("")).size();
  printed += sources.SlideTracks().size() + sources.EndMilliseconds();
  return printed == std::size_t(-1) ? 1 : 0;
}
