#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "formats/ChapterSources.h"

// One chapter as a source gives it, in milliseconds of the movie.
struct CheckedChapter {
  std::uint64_t start = 0, end = 0;
  std::string title;  // as stored
};

// The things players trip on in a movie's chapter sources, one short line
// each: sources that disagree, lists too long for the 8-bit counts, chapters
// that do not start at 0 or run past the movie, titles in no encoding a
// player reads, several 'chap' lists, link tracks among the chapters, text
// tracks with several descriptions, and times too large for 32 bits.
class ChapterCheck {
 public:
  static constexpr std::size_t kMaxChapters = 255;
  static constexpr std::uint64_t kStartTolerance = 1;  // milliseconds

  explicit ChapterCheck(const ChapterSources& sources) : sources_(sources) {}

  std::vector<std::string> Warnings() const;

  std::vector<CheckedChapter> TrackChapters(const MovieTrack& track) const;
  std::vector<CheckedChapter> ChplChapters() const;

  // A stored title as UTF-8: UTF-16 with a byte-order mark converted, UTF-8
  // as it stands; none when it is neither.
  static std::optional<std::string> TitleText(const std::string& stored);
  // A title fit to print: its text, or the stored bytes with '?' for each one
  // that is not text.
  static std::string Printable(const std::string& stored);
  // Milliseconds as seconds with three decimals.
  static std::string Seconds(std::uint64_t milliseconds);

 private:
  void CompareWithChpl(const MovieTrack& track, std::vector<std::string>& out) const;
  void CheckList(const std::string& name, const std::vector<CheckedChapter>& chapters,
                 std::vector<std::string>& out) const;
  void CheckChapterLists(std::vector<std::string>& out) const;
  void CheckTextTracks(std::vector<std::string>& out) const;
  void CheckTimeFields(std::vector<std::string>& out) const;

  const ChapterSources& sources_;
};
