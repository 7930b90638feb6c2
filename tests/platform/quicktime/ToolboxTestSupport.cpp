#include "ToolboxTestSupport.h"

#include <gtest/gtest.h>

#include "TestSupport.h"

OwnedHandle DataRefFor(const std::string& path) {
  MustRun("touch " + Quote(path));
  FSSpec fileSpec;
  Handle ref = nullptr;
  OSType type = 0;
  EXPECT_EQ(NativePathNameToFSSpec(path.c_str(), &fileSpec, 0), noErr) << path;
  EXPECT_EQ(QTNewDataReferenceFromFSSpec(&fileSpec, 0, &ref, &type), noErr);
  return OwnedHandle(ref);
}

OwnedMovie OpenMovie(const std::string& path) {
  Movie movie = nullptr;
  EXPECT_EQ(NewMovieFromDataRef(&movie, newMovieActive, nullptr, DataRefFor(path).get(), AliasDataHandlerSubType), noErr)
      << path;
  return OwnedMovie(movie);
}

OwnedMovie NewWorkingMovie(const std::string& path) {
  Movie movie = nullptr;
  DataHandler storage = nullptr;
  EXPECT_EQ(CreateMovieStorage(DataRefFor(path).get(), AliasDataHandlerSubType, 0, -1, createMovieFileDeleteCurFile,
                               &storage, &movie),
            noErr);
  CloseMovieStorage(storage);
  return OwnedMovie(movie);
}

Track FirstTrackOf(Movie movie, OSType type) {
  for (long i = 1; i <= GetMovieTrackCount(movie); ++i) {
    OSType kind = 0;
    GetMediaHandlerDescription(GetTrackMedia(GetMovieIndTrack(movie, i)), &kind, nullptr, nullptr);
    if (kind == type) return GetMovieIndTrack(movie, i);
  }
  return nullptr;
}

Track EmptyCopy(Track source, Movie into) {
  Track copy = nullptr;
  EXPECT_EQ(AddEmptyTrackToMovie(source, into, nullptr, 0, &copy), noErr);
  return copy;
}

void FlattenTo(Movie movie, const std::string& path) {
  Movie flat = FlattenMovieDataToDataRef(movie, flattenAddMovieToDataFork | flattenForceMovieResourceBeforeMovieData,
                                         DataRefFor(path).get(), AliasDataHandlerSubType, Tag("TVOD"), -1,
                                         createMovieFileDeleteCurFile);
  ASSERT_NE(flat, nullptr) << GetMoviesError();
  DisposeMovie(flat);
}
