#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "formats/ChapterEntry.h"

// The chapters as a WebVTT file: one cue per entry, its title the cue text.
// A title cannot end its cue early or be read as markup: '&', '<' and '>'
// are written as character references (so "-->" cannot appear) and line
// breaks never leave an empty line.
class WebVttWriter {
 public:
  static std::string Write(const std::vector<ChapterEntry>& chapters);
  // "HH:MM:SS.mmm"; the hours grow past two digits when they must.
  static std::string Timestamp(std::int64_t ms);
  static std::string CueText(const std::string& title);
};
