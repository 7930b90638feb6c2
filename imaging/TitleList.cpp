#include "imaging/TitleList.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "platform/helper/UPreferences.h"
#include "platform/helper/ErrorPrintf.h"

namespace {
std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return s;
}

// The sections being read, outermost first: a section that names one of
// them would otherwise be read again without end.
class TitleSectionReader {
 public:
  TitleSectionReader(TitleList& list, const UPreferences& prefs, MediaFormat& format)
      : list_(list), prefs_(prefs), format_(format) {}

  int Read(const StdStringPairs& pairs, const std::string& section) {
    open_.push_back(Lower(section));
    int added = 0;
    for (std::size_t i = 0; i < pairs.size(); ++i) added += ReadPair(pairs.GetKey(i), pairs.GetValue(i));
    open_.pop_back();
    return added;
  }

 private:
  int ReadPair(const UString& key, const UString& value) {
    if (icompare(key, "titlesection") == 0) return ReadNested(value);
    if (icompare(key, "title") == 0) {
      list_.Add(value, format_);
      return 1;
    }
    format_.ParseKey("title", key, value);
    return 0;
  }

  int ReadNested(const std::string& section) {
    StdStringPairs pairs;
    if (prefs_.GetKeysAndValue(section, pairs) == 0) return 0;
    if (std::find(open_.begin(), open_.end(), Lower(section)) != open_.end()) {
      ErrorPrintf("title section \"%s\" names itself and is not read again\n", section.c_str());
      return 0;
    }
    return Read(pairs, section);
  }

  TitleList& list_;
  const UPreferences& prefs_;
  MediaFormat& format_;
  std::vector<std::string> open_;
};
}  // namespace

TitleItem& TitleList::Add(const std::string& text, const MediaFormat& format) {
  push_back(TitleItem{UString(text), format});
  return back();
}

void TitleList::AddAll(const TitleList& other) {
  const std::size_t n = other.size();  // `other` may be this list
  for (std::size_t i = 0; i < n; ++i) push_back(other[i]);
}

int ReadTitleSection(TitleList& list, const UPreferences& prefs, const StdStringPairs& pairs, MediaFormat& format,
                     const std::string& section) {
  return TitleSectionReader(list, prefs, format).Read(pairs, section);
}
