#pragma once
#include <string>
#include <vector>

#include "imaging/SlidePreparer.h"

// One slide to prepare: the arguments of SlidePreparer::PrepImage.
struct SlideJob {
  int frameW = 0, frameH = 0;
  int scaleW = 0, scaleH = 0;  // 0: the frame's
  COLORREF colour = 0;
  UString imageFile{};
  int outFormat = kImageFormatPng;
  int hMode = 1, vMode = 1;
  const TitleList* titles = nullptr;  // null: no titles; the caller's, unchanged until Prepare returns
};

// What became of one job.
struct PreparedSlide {
  bool ok = false;        // what PrepImage returned
  bool replaced = false;  // a new file was written; it is the caller's to keep or delete
  UString file;           // the picture to use: the new file, or the job's own
  std::string messages;   // what preparing it would have printed to standard error, not printed
};

// Prepares the slides of a build side by side, one thread a core, and hands
// them back in the order of the jobs. Every job is prepared alone from its
// own arguments, so the pictures (and a movie made of them in that order) are
// the same byte for byte whatever the number of threads.
//
// The slide track uses it like this: check each image edit point as it would
// before PrepImage (a missing file stops the track there, a file of no known
// type is passed over), make a job of each one left, Prepare them all, then
// go through the results in order as if each PrepImage had just returned:
// print `messages`, and on `ok` false print the track's own message and stop.
// Every `replaced` file belongs to the track from then on, also those after
// the slide that stopped it: add them to the temporary files (unless the
// final images are kept) so that none is left behind.
//
// While preparing, freed memory stays with the process for the next slide
// (page faults, not pixels, were most of the time without it).
class SlideBatch {
 public:
  // `threads` 0: one a core.
  explicit SlideBatch(SlidePreparer preparer, int threads = 0);

  std::vector<PreparedSlide> Prepare(const std::vector<SlideJob>& jobs) const;

 private:
  PreparedSlide PrepareOne(const SlideJob& job) const;

  SlidePreparer preparer_;
  int threads_;
};
