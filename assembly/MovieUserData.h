#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "assembly/QTMovie.h"
#include "platform/helper/StdStringList.h"

// A chapter as the movie lists it: its start in the movie's time scale and its UTF-8 title.
struct ChapterMark {
  std::int64_t time;
  std::string title;
};

// Replaces the movie's user data with its metadata: a 'meta' item built
// from the project's [metadata] lines (four-character type, then value) and
// its artwork files, then, when there are chapters, a 'chpl' chapter list.
void SetMovieUserData(QTMovie& movie, const StdStringList& metadataLines, const StdStringList* artwork,
                      const std::vector<ChapterMark>& chapters);
