#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "assembly/QTMovie.h"

// A sound file read with its movie clock set to its sound's sample rate, so
// that every length taken from it or cut out of it falls on whole samples.
class SoundFile {
 public:
  // False when the file cannot be read as a movie (the toolbox wrapper has
  // said why); `track` is then, or when the file holds no sound, null.
  bool Open(const std::string& path);
  std::int32_t Rate() const;
  // What the file's sound presents (its edit list), in samples: its length as heard.
  std::int64_t Length() const;

  QTMovie movie;
  std::unique_ptr<QTTrack> track;
};
