#include "platform/helper/StdStringList.h"

#include <cstring>

namespace {
bool IsIn(char c, const char* set) { return set && c != '\0' && std::strchr(set, c) != nullptr; }

std::string Trimmed(const std::string& s) {
  const auto first = s.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}
}  // namespace

int StdStringList::SplitAndAppend(const char* text, const char* separators, const char* quotes, int flags) {
  if (!text) return 0;
  const bool blanks = separators == nullptr;
  const char* seps = blanks ? " \t\r\n" : separators;
  const char* groupers = quotes ? quotes : (blanks ? "\"" : nullptr);
  const bool skipEmpty = blanks || (flags & kSkipEmpty);
  int added = 0;
  std::string piece;
  bool quoted = false, sawQuote = false;
  auto finish = [&] {
    std::string word = (flags & kTrim) ? Trimmed(piece) : piece;
    if (!word.empty() || sawQuote || !skipEmpty) {
      push_back(UString(std::move(word)));
      ++added;
    }
    piece.clear();
    sawQuote = false;
  };
  for (const char* p = text; *p; ++p) {
    if (IsIn(*p, groupers)) {
      quoted = !quoted;
      sawQuote = true;
    } else if (!quoted && IsIn(*p, seps)) {
      finish();
    } else {
      piece += *p;
    }
  }
  finish();
  return added;
}

int StdStringList::SplitAndAppend(const char* text, const char* separators, bool trim) {
  return SplitAndAppend(text, separators, nullptr, kSkipEmpty | (trim ? kTrim : 0));
}
