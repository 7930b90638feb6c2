// Flattens a movie file into a new self-contained one through the toolbox:
//   bench_flatten IN OUT [REPEAT]
// With REPEAT, the input's tracks are joined to themselves that many times
// first (by reference), to make long or past-4-GiB outputs from a small input.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/quicktime/Movies.h"

namespace {
Handle RefTo(const char* path) {
  FSSpec fileSpec;
  Handle ref = nullptr;
  OSType type = 0;
  if (NativePathNameToFSSpec(path, &fileSpec, 0) != noErr || QTNewDataReferenceFromFSSpec(&fileSpec, 0, &ref, &type) != noErr)
    return nullptr;
  return ref;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s IN OUT [REPEAT]\n", argv[0]);
    return 2;
  }
  const long repeat = argc > 3 ? std::atol(argv[3]) : 1;
  Movie source = nullptr;
  Handle in = RefTo(argv[1]);
  if (NewMovieFromDataRef(&source, newMovieActive, nullptr, in, AliasDataHandlerSubType) != noErr) return 1;
  Movie movie = source;
  if (repeat > 1) {
    std::string work = std::string(argv[2]) + ".work";
    std::fclose(std::fopen(work.c_str(), "w"));
    DataHandler storage = nullptr;
    Handle ref = RefTo(work.c_str());
    if (CreateMovieStorage(ref, AliasDataHandlerSubType, 0, -1, createMovieFileDeleteCurFile, &storage, &movie) != noErr)
      return 1;
    SetMovieTimeScale(movie, GetMovieTimeScale(source));
    for (long t = 1; t <= GetMovieTrackCount(source); ++t) {
      Track from = GetMovieIndTrack(source, t), to = nullptr;
      AddEmptyTrackToMovie(from, movie, nullptr, 0, &to);
      for (long i = 0; i < repeat; ++i)
        if (InsertTrackSegment(from, to, 0, GetTrackDuration(from), -1) != noErr) return 1;
    }
    CloseMovieStorage(storage);
    DisposeHandle(ref);
    std::remove(work.c_str());
  }
  std::fclose(std::fopen(argv[2], "a"));
  Handle out = RefTo(argv[2]);
  Movie flat = FlattenMovieDataToDataRef(movie, flattenForceMovieResourceBeforeMovieData, out, AliasDataHandlerSubType,
                                         Tag("TVOD"), -1, createMovieFileDeleteCurFile);
  if (!flat) {
    std::fprintf(stderr, "flatten failed: %d\n", GetMoviesError());
    return 1;
  }
  return 0;
}
