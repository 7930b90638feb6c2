#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "formats/BinStorage.h"

// The chapter list of the movie's user data, 'chpl', that players reading no
// chapter track take their chapters from: each chapter's start in units of
// 100 ns and its UTF-8 title of at most 255 bytes.
class NeroChapterList {
 public:
  static constexpr std::size_t kMaxChapters = 255;
  static constexpr std::size_t kMaxTitleBytes = 255;

  // Starts are given in units of `timeScale` per second.
  explicit NeroChapterList(std::int32_t timeScale) : timeScale(timeScale) {}

  void Add(std::int64_t start, const std::string& title);
  // Appends the whole 'chpl' atom; with more chapters than its 8-bit count
  // holds, or no time scale, nothing is appended and the answer is false.
  bool AppendAtom(BinStorage& out) const;

 private:
  struct Chapter {
    std::uint64_t start;  // 100 ns units
    std::string title;
  };

  std::uint64_t InHundredNanoseconds(std::int64_t start) const;

  std::int32_t timeScale;
  std::vector<Chapter> chapters;
};
