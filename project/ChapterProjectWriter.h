#pragma once
#include <cstdint>
#include <string>

#include "project/MovieChapters.h"
#include "project/PodFileWriter.h"

// The project that rebuilds a chaptered file: its sound taken as it is, one
// edit point section per time at which a chapter or a link begins, every
// start in the chapters' own clock. An audio book names the file in its first
// section, where the book's parts are read from; any other project names it
// for the whole show.
class ChapterProjectWriter {
 public:
  ChapterProjectWriter(const MovieChapters& marks, std::string audioFile, bool audioBook)
      : marks_(marks), audioFile_(std::move(audioFile)), audioBook_(audioBook) {}

  void Write(PodFileWriter& pod, const std::string& baseName) const;
  // `units` of the chapters' clock as the reader takes a time: hours,
  // minutes, seconds, then the rest in units, as many digits as the clock has.
  std::string TimeText(std::int64_t units) const;

 private:
  void WriteHeader(PodFileWriter& pod, const std::string& baseName) const;
  void WriteSections(PodFileWriter& pod) const;
  std::string SourceNote() const;

  const MovieChapters& marks_;
  std::string audioFile_;
  bool audioBook_;
};
