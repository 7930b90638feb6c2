#pragma once
#include <string>

#include "platform/quicktime/QtTypes.h"
#include "platform/quicktime/atoms/MovieAtom.h"
#include "platform/quicktime/model/MovieRecord.h"

// Reads an MPEG-4 or QuickTime movie file into a movie whose samples stay in
// the file. Fails with noMovieFound for anything that is not such a file (or
// is fragmented), invalidSampleTable when its tables contradict each other
// beyond repair, couldNotResolveDataRef when it needs data from other files.
//
// A file is read as players read it: what can be mended is mended and said,
// one phrase each, in the movie's `repairs`. An atom or table that claims more
// bytes than there are is cut to them, damaged atoms outside the sample tables
// are skipped, sample counts that disagree are cut to the samples all of them
// hold, and samples that lie a little past the end of the file are left out,
// so that a repaired movie is never longer than its bytes. (A file that lacks
// more is left as its table says, for a copy to refuse in words.)
class MovieFileReader {
 public:
  static constexpr std::uint64_t kMaxMovieAtom = 256ull << 20;
  static constexpr std::uint64_t kWholeFile = UINT64_MAX;

  static OSErr Read(const std::string& path, MovieRecord& movie);
  // The movie atom of a file as bytes; for the reader and for tests. With
  // `repairs`, one that runs past the end of the file is read to it.
  // `movieAtomAt`, when given, receives where the movie atom starts in the file.
  static OSErr FindMovieAtom(int fd, std::vector<std::uint8_t>& bytes, std::vector<std::string>* repairs = nullptr,
                             std::uint64_t* movieAtomAt = nullptr);
  // `fileSize`: the length of `path`, past which no sample may lie.
  static OSErr FromAtoms(MovieAtom& atoms, const std::string& path, MovieRecord& movie,
                         std::uint64_t fileSize = kWholeFile);

 private:
  struct Source {
    const std::string& path;
    std::uint64_t size;
    std::vector<std::string>& repairs;
  };
  static OSErr ReadMovieAtom(int fd, std::shared_ptr<const FileOrigin> origin, MovieAtom& atoms,
                             std::vector<std::string>& repairs);
  static OSErr ReadTrack(TrackAtom& atom, const Source& file, TrackRecord& track);
  static OSErr ReadMedia(MediaAtom& atom, const Source& file, MediaRecord& media);
  static OSErr ReadDataRefs(const MediaInformationAtom& info, const std::string& path, MediaRecord& media);
  static OSErr ReadSampleTable(SampleTableAtom& table, const Source& file, MediaRecord& media);
};
