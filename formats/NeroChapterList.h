#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
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

  struct Entry {
    std::uint64_t start;  // 100 ns units
    std::string title;    // UTF-8
  };
  // The chapters of a 'chpl' payload (the atom without its header); nothing
  // when it ends before the chapters it counts. Titles that are not UTF-8
  // are read as Windows-1252.
  static std::optional<std::vector<Entry>> Read(std::span<const std::uint8_t> payload);

  void Add(std::int64_t start, const std::string& title);
  // Appends the whole 'chpl' atom; with more chapters than its 8-bit count
  // holds, or no time scale, nothing is appended and the answer is false.
  bool AppendAtom(BinStorage& out) const;

 private:
  std::uint64_t InHundredNanoseconds(std::int64_t start) const;

  std::int32_t timeScale;
  std::vector<Entry> chapters;
};
