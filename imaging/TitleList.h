#pragma once
#include <deque>
#include <string>

#include "imaging/MediaFormat.h"
#include "platform/helper/StdStringPairs.h"
#include "platform/helper/UString.h"

class UPreferences;

// One title: its text and the format in force when it was added.
struct TitleItem {
  UString text;
  MediaFormat format;
};

// The titles of a slide in the order they were added; a later title is drawn
// over an earlier one.
class TitleList : public std::deque<TitleItem> {
 public:
  TitleItem& Add(const std::string& text, const MediaFormat& format);
  void AddAll(const TitleList& other);
};

// Reads the keys of a title section ("title", "title<directive>",
// "titlesection") into `list`, changing `format` in place; a nested section
// changes the same format. `section` names the section the pairs come from,
// so that it is not read again from inside itself. Returns how many titles
// were added.
int ReadTitleSection(TitleList& list, const UPreferences& prefs, const StdStringPairs& pairs, MediaFormat& format,
                     const std::string& section = {});
