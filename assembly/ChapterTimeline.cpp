#include "assembly/ChapterTimeline.h"

#include <algorithm>

namespace {
// The text of the sample playing at `time`; empty between or after samples.
std::string PlayingAt(const std::vector<TimedText>& samples, std::int64_t time) {
  auto after = std::upper_bound(samples.begin(), samples.end(), time,
                                [](std::int64_t t, const TimedText& s) { return t < s.start; });
  if (after == samples.begin()) return std::string();
  const TimedText& s = *std::prev(after);
  return time < s.start + s.duration ? s.text : std::string();
}

void AddEdges(const std::vector<TimedText>& samples, std::int64_t from, std::int64_t to,
              std::vector<std::int64_t>& times) {
  for (const TimedText& s : samples)
    for (const std::int64_t edge : {s.start, s.start + s.duration})
      if (edge > from && edge < to) times.push_back(edge);
}
}  // namespace

std::vector<ChapterEntry> ChapterTimeline::Chapters() const {
  std::vector<ChapterEntry> out = Entries();
  std::erase_if(out, [](const ChapterEntry& e) { return !e.toc; });
  return out;
}

std::vector<ChapterEntry> ChapterTimeline::Entries() const {
  std::vector<ChapterEntry> out;
  for (const TimedText& c : chapters) {
    std::vector<ChapterEntry> span{At(c.start, c, true)};
    for (const std::int64_t time : ChangesWithin(c.start, c.start + c.duration)) {
      ChapterEntry change = At(time, c, false);
      ChapterEntry& last = span.back();
      // Nothing new to see, or gone within the millisecond the next chapter starts in.
      if ((change.img == last.img && change.url == last.url) || change.startMs == change.endMs) continue;
      if (change.startMs == last.startMs) {
        last.img = change.img;
        last.url = change.url;
      } else {
        if (!last.toc) last.endMs = change.startMs;
        span.push_back(change);
      }
    }
    out.insert(out.end(), span.begin(), span.end());
  }
  return out;
}

// An entry lasts to its chapter's end until a later change cuts it short.
ChapterEntry ChapterTimeline::At(std::int64_t time, const TimedText& chapter, bool toc) const {
  return ChapterEntry{.startMs = MillisecondsOf(time, timeScale),
                      .endMs = MillisecondsOf(chapter.start + chapter.duration, timeScale),
                      .title = chapter.text,
                      .img = PlayingAt(slides, time),
                      .url = PlayingAt(links, time),
                      .toc = toc};
}

std::vector<std::int64_t> ChapterTimeline::ChangesWithin(std::int64_t from, std::int64_t to) const {
  std::vector<std::int64_t> times;
  AddEdges(slides, from, to, times);
  AddEdges(links, from, to, times);
  std::sort(times.begin(), times.end());
  times.erase(std::unique(times.begin(), times.end()), times.end());
  return times;
}
