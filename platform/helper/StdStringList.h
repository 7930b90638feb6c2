#pragma once
#include <deque>

#include "platform/helper/UString.h"

// A double-ended queue of texts: command-line words, keys, split fields.
class StdStringList : public std::deque<UString> {
 public:
  using std::deque<UString>::deque;
  enum SplitFlags { kTrim = 1, kSkipEmpty = 2 };

  // Appends the pieces of `text` split at any character of `separators`.
  // Null separators split at blanks and tabs, with double quotes grouping
  // words the way a command line does. `quotes` lists the characters that
  // group (null: '"' for blank splitting, none otherwise). Returns how many
  // pieces were appended.
  int SplitAndAppend(const char* text, const char* separators, const char* quotes, int flags);
  // The same with every piece trimmed (when `trim`) and empty pieces dropped.
  int SplitAndAppend(const char* text, const char* separators, bool trim);
};
