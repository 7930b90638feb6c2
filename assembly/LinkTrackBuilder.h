#pragma once
#include <cstdint>
#include <memory>

#include "assembly/QTMovie.h"
#include "project/EPTrackList.h"

// What the link track takes from the show.
struct LinkTrackSettings {
  bool addImages = true;  // no slides, no links
  std::int32_t frameWidth = 0, frameHeight = 0;
  TimeScale timeScale = 600;
};

// Makes the link track: one timed-text sample per link edit point, clickable
// through its 'href' box in players that know it and a plain subtitle
// elsewhere. All samples share one description, made from the first link's
// settings. The track stays enabled and is in no 'chap' list: chapter
// readers would take its texts for chapter titles.
class LinkTrackBuilder {
 public:
  LinkTrackBuilder(QTMovie& movie, const LinkTrackSettings& settings) : movie_(movie), settings_(settings) {}

  // True also when there is nothing to show.
  bool Build(const EPTrackList& links);

  std::unique_ptr<QTTrack> track;  // the link track made, or null

 private:
  QTMovie& movie_;
  LinkTrackSettings settings_;
};
