#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/quicktime/Movies.h"

// The chapters and links of a movie, read through the toolbox as a project
// gives them back: the titles of its chapter track (a text track in a 'chap'
// list, the sound track's first) or else of its 'chpl' list, and the links of
// a text track outside the 'chap' lists whose samples carry them. Every start
// counts units of `timeScale`: the chapter track's own clock, so that its
// times stay exact, or milliseconds.
class MovieChapters {
 public:
  enum class Source { kNone, kChapterTrack, kChapterList };
  struct Chapter {
    std::int64_t start = 0;
    std::string title;
  };
  // An empty url ends the link before it.
  struct Link {
    std::int64_t start = 0;
    std::string url, text;
  };

  // False when the movie has neither a chapter track with samples nor a
  // 'chpl' list with chapters.
  bool Read(Movie movie);
  // Leaves out the chapters and links that start at or after `end` (units of
  // `timeScale`), or too late for a project to say; the titles of the
  // chapters left out.
  std::vector<std::string> CutAt(std::int64_t end);

  Source source = Source::kNone;
  TimeScale timeScale = kMilliseconds;
  std::vector<Chapter> chapters;
  std::vector<Link> links;

 private:
  static constexpr TimeScale kMilliseconds = 1000;
  // A sample larger than this is no title or link.
  static constexpr long kMaxTextSample = 1 << 20;

  struct TextSample {
    std::int64_t start = 0;
    std::string text;
    bool hasLink = false;
    std::string link;
  };

  Track ChapterTrack(Movie movie) const;
  bool IsInChapterList(Movie movie, Track track) const;
  std::vector<TextSample> TextSamples(Track track) const;
  std::int64_t StartOf(Track track, TimeValue mediaTime) const;
  bool ReadChapterTrack(Track track);
  bool ReadChapterList(Movie movie);
  void ReadLinks(Movie movie);
};
