#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "formats/ChapterEntry.h"

// One sample of a track as the movie holds it: where it starts and how long
// it lasts, in the timeline's units, and what it carries.
struct TimedText {
  std::int64_t start = 0, duration = 0;
  std::string text;  // a chapter's title, a slide's picture, a link's URL ("" for none)
};

// The chapters, slides and links of a movie as its tracks hold them, all in
// one time scale, made into the entries of the chapter files.
class ChapterTimeline {
 public:
  explicit ChapterTimeline(std::int32_t timeScale = 600) : timeScale(timeScale) {}

  // The table of contents: one entry per chapter, from its start to its end.
  std::vector<ChapterEntry> Chapters() const;
  // Every change of chapter, slide or link: each chapter is an entry of the
  // table of contents lasting the whole chapter; a slide or link changing
  // inside one starts an entry outside it, with the chapter's title, lasting
  // to the next change. Changes that fall in the same millisecond make one
  // entry showing what comes last.
  std::vector<ChapterEntry> Entries() const;

  std::int32_t timeScale;
  std::vector<TimedText> chapters, slides, links;  // each in time order, as its track plays it

 private:
  ChapterEntry At(std::int64_t time, const TimedText& chapter, bool toc) const;
  // The changes of slide or link strictly inside the span.
  std::vector<std::int64_t> ChangesWithin(std::int64_t from, std::int64_t to) const;
};
