#include "assembly/SlideTrackBuilder.h"

#include <cstdio>

#include "assembly/QTGraphicsImporter.h"
#include "imaging/ImageFiles.h"
#include "platform/helper/ErrorPrintf.h"
#include "platform/helper/FileSystem.h"
#include "project/EditPointImage.h"

SlideTrackBuilder::SlideTrackBuilder(QTMovie& movie, const SlideTrackSettings& settings, PrepareSlides prepare,
                                     StdStringList& tempFiles)
    : movie_(movie), settings_(settings), prepare_(std::move(prepare)), tempFiles_(tempFiles) {}

// The entries that become slides, in order; false (with the message) at the
// first that cannot be shown. Files of a type no loader knows are passed over.
bool SlideTrackBuilder::Collect(const EPTrackList& images, std::vector<Slide>& slides) const {
  for (const EditPoint* point : images) {
    const auto* entry = dynamic_cast<const EditPointImage*>(point);
    if (!entry) continue;
    const UString& file = entry->file;
    if (!file.empty()) {
      if (!FileExists(file)) {
        ErrorPrintf("QTSlideshow::AddVideoTrack() file \"%s\" does not exists\n", file.c_str());
        return false;
      }
      if (!IsImageFile(file)) continue;
    } else if (!slides.empty() && entry->titleCount == 0) {
      ErrorPrintf("QTSlideshow::AddVideoTrack() there is not image file or title text to process\n");
      return false;
    }
    slides.push_back(Slide{.entry = entry, .result = {}});
  }
  return true;
}

void SlideTrackBuilder::PrepareAll(std::vector<Slide>& slides) {
  const SlideTrackSettings& s = settings_;
  std::vector<SlideJob> jobs;
  for (const Slide& slide : slides)
    jobs.push_back(SlideJob{.frameW = s.frameWidth,
                            .frameH = s.frameHeight,
                            .scaleW = s.scaleWidth > 0 ? s.scaleWidth : s.frameWidth,
                            .scaleH = s.scaleHeight > 0 ? s.scaleHeight : s.frameHeight,
                            .colour = s.backgroundColor,
                            .imageFile = slide.entry->file,
                            .outFormat = s.imageFormat,
                            .titles = slide.entry->titleCount > 0 ? &slide.entry->titles : nullptr});
  std::vector<PreparedSlide> results = prepare_(jobs);
  for (std::size_t i = 0; i < slides.size() && i < results.size(); ++i) {
    slides[i].result = std::move(results[i]);
    // Every new picture is the show's to delete, also those after a slide that fails.
    if (slides[i].result.replaced && !s.keepFinalImages) tempFiles_.push_back(slides[i].result.file);
  }
}

// Every picture is opened before the track is made: a movie with a video
// track that holds no picture at all is one readers refuse whole.
bool SlideTrackBuilder::OpenAll(const std::vector<Slide>& slides, Importers& importers) const {
  for (const Slide& slide : slides) {
    std::fputs(slide.result.messages.c_str(), stderr);  // in order, as if each had just been prepared
    if (!slide.result.ok) {
      ErrorPrintf("QTSlideshow::PrepImage() failed to prepare the  image \"%s\"\n", slide.entry->file.c_str());
      return false;
    }
    auto importer = std::make_unique<QTGraphicsImporter>();
    if (!importer->Open(slide.result.file)) {
      ErrorPrintf("QTSlideshow::AddVideoTrack() unable to initialize GraphicsImporter for \"%s\"\n",
                  slide.entry->file.c_str());
      return false;
    }
    importers.push_back(std::move(importer));
  }
  return true;
}

bool SlideTrackBuilder::Build(const EPTrackList& images, QTTrack* reference) {
  if (!settings_.addImages || images.empty() || (settings_.frameWidth == 0 && settings_.frameHeight == 0))
    return true;
  std::vector<Slide> slides;
  if (!Collect(images, slides)) return false;
  PrepareAll(slides);
  Importers importers;
  if (!OpenAll(slides, importers)) return false;
  if (slides.empty()) return true;  // only files of unknown types: nothing to show
  const bool overVideo = movie_.CountVideoTracks() > 0;
  track.reset(movie_.NewVideoTrack(settings_.frameWidth, settings_.frameHeight, settings_.timeScale));
  if (!track) {
    ErrorPrintf("unable to create video track %d\n", GetMoviesError());
    return false;
  }
  if (overVideo) {
    const RGBColor black{};  // lets the copied video show through
    MediaSetGraphicsMode(GetMediaHandler(track->media.media), transparentMode, &black);
  }
  TimeValue at = 0;
  for (std::size_t i = 0; i < slides.size(); ++i) {
    const TimeValue duration = slides[i].entry->epDuration;
    if (!track->media.AddImageSample(*importers[i], duration)) continue;
    shown.push_back(TimedText{.start = at, .duration = duration, .text = slides[i].result.file});
    at += duration;
  }
  track->InsertMedia(0, 0, GetMediaDuration(track->media.media), fixed1);
  if (reference) AddTrackReference(reference->track, track->track, kTrackReferenceChapterList, nullptr);
  return true;
}
