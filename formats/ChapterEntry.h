#pragma once
#include <cstdint>
#include <string>

// One entry of the chapter files beside the movie: a span of the show in
// milliseconds with what is on screen and linked as it starts. A chapter of
// the table of contents has `toc` set; an entry where only the slide or the
// link changes inside a chapter repeats the chapter's title without it.
struct ChapterEntry {
  std::int64_t startMs = 0, endMs = 0;
  std::string title;
  std::string img;  // empty: no picture then
  std::string url;  // empty: no link then
  bool toc = true;
};

// A time of `scale` units per second to the nearest millisecond, in whole
// numbers so that it agrees with what readers print for the same units.
constexpr std::int64_t MillisecondsOf(std::int64_t units, std::int32_t scale) {
  if (scale <= 0) return 0;
  const std::int64_t seconds = units / scale, rest = units % scale;
  return seconds * 1000 + (rest * 1000 + scale / 2) / scale;
}
