#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/quicktime/Movies.h"

// What the toolbox tests share: data references and movies that let go of
// themselves, and flattening as the program does it.
using OwnedHandle = std::unique_ptr<std::vector<std::uint8_t>>;
struct MovieCloser {
  void operator()(MovieRecord* movie) const { DisposeMovie(movie); }
};
using OwnedMovie = std::unique_ptr<MovieRecord, MovieCloser>;

// A data reference to `path`; the file is made, empty, when it is missing.
OwnedHandle DataRefFor(const std::string& path);
OwnedMovie OpenMovie(const std::string& path);
// A new working movie whose own samples go into `path`.
OwnedMovie NewWorkingMovie(const std::string& path);
// The movie header first, the file at `path` replaced; fails the test when it cannot.
void FlattenTo(Movie movie, const std::string& path);
// The movie's first track of media `type` ('soun', 'vide'), null when it has none.
Track FirstTrackOf(Movie movie, OSType type);
// A new track in `into` with the settings of `source` and no media yet.
Track EmptyCopy(Track source, Movie into);
