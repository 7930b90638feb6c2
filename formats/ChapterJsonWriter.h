#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "formats/ChapterEntry.h"

// The chapters as a JSON chapters file (version 1.2.0): one object per
// entry with its start and end in seconds to the millisecond, its title, and
// its picture and link when it has them; entries outside the table of
// contents say so with "toc": false.
class ChapterJsonWriter {
 public:
  static constexpr const char* kVersion = "1.2.0";

  static std::string Write(const std::vector<ChapterEntry>& entries);
  // A JSON string literal of UTF-8 text, quotes included.
  static std::string Quoted(const std::string& text);
  // Seconds with exactly three decimals: 12345 gives "12.345".
  static std::string Seconds(std::int64_t ms);
};
