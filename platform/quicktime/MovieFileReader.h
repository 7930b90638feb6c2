#pragma once
#include <string>

#include "platform/quicktime/QtTypes.h"
#include "platform/quicktime/atoms/MovieAtom.h"
#include "platform/quicktime/model/MovieRecord.h"

// Reads an MPEG-4 or QuickTime movie file into a movie whose samples stay in
// the file. Fails with noMovieFound for anything that is not such a file (or
// is fragmented), invalidSampleTable when its tables contradict each other,
// couldNotResolveDataRef when it needs data from other files.
class MovieFileReader {
 public:
  static constexpr std::uint64_t kMaxMovieAtom = 256ull << 20;

  static OSErr Read(const std::string& path, MovieRecord& movie);
  // The movie atom of a file as bytes; for the reader and for tests.
  static OSErr FindMovieAtom(int fd, std::vector<std::uint8_t>& bytes);
  static OSErr FromAtoms(MovieAtom& atoms, const std::string& path, MovieRecord& movie);

 private:
  static OSErr ReadMovieAtom(int fd, MovieAtom& atoms);
  static OSErr ReadTrack(TrackAtom& atom, const std::string& path, TrackRecord& track);
  static OSErr ReadMedia(MediaAtom& atom, const std::string& path, MediaRecord& media);
  static OSErr ReadDataRefs(const MediaInformationAtom& info, const std::string& path, MediaRecord& media);
  static OSErr ReadSampleTable(SampleTableAtom& table, MediaRecord& media);
};
