#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "assembly/ChapterTimeline.h"
#include "assembly/QTMovie.h"
#include "imaging/SlideBatch.h"
#include "platform/helper/StdStringList.h"
#include "platform/helper/UString.h"
#include "platform/helper/Win32Defs.h"
#include "project/EPTrackList.h"

class EditPointImage;
class QTGraphicsImporter;

// What the slide track takes from the show.
struct SlideTrackSettings {
  bool addImages = true;
  std::int32_t frameWidth = 0, frameHeight = 0;
  std::int32_t scaleWidth = 0, scaleHeight = 0;  // 0: the frame's
  COLORREF backgroundColor = 0;
  std::int32_t imageFormat = 13;  // of the prepared pictures
  bool keepFinalImages = false;
  TimeScale timeScale = 600;
};

// Makes the slide track: one prepared picture per image edit point, the
// picture file itself a sample by reference, shown for the edit point's
// duration, one after another from time 0.
class SlideTrackBuilder {
 public:
  // Prepares the pictures (scaled into the frame, titled, saved), handing
  // them back in the order of the jobs.
  using PrepareSlides = std::function<std::vector<PreparedSlide>(const std::vector<SlideJob>& jobs)>;

  SlideTrackBuilder(QTMovie& movie, const SlideTrackSettings& settings, PrepareSlides prepare,
                    StdStringList& tempFiles);

  // True also when there is nothing to show. A bad entry stops the track
  // before it is made (a video track without pictures makes the whole movie
  // unreadable) and gives false. With a reference track, that track's 'chap'
  // list gets the slide track.
  bool Build(const EPTrackList& images, QTTrack* reference);

  std::unique_ptr<QTTrack> track;  // the slide track made, or null
  std::vector<TimedText> shown;    // its samples: times and prepared picture files

 private:
  struct Slide {
    const EditPointImage* entry = nullptr;
    PreparedSlide result;
  };

  bool Collect(const EPTrackList& images, std::vector<Slide>& slides) const;
  void PrepareAll(std::vector<Slide>& slides);
  using Importers = std::vector<std::unique_ptr<QTGraphicsImporter>>;
  bool OpenAll(const std::vector<Slide>& slides, Importers& importers) const;

  QTMovie& movie_;
  SlideTrackSettings settings_;
  PrepareSlides prepare_;
  StdStringList& tempFiles_;
};
