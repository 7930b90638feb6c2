#include "assembly/SlideTrackBuilder.h"

#include "assembly/QTGraphicsImporter.h"
#include "imaging/ImageFiles.h"
#include "platform/helper/ErrorPrintf.h"
#include "platform/helper/FileSystem.h"
#include "project/EditPointImage.h"

SlideTrackBuilder::SlideTrackBuilder(QTMovie& movie, const SlideTrackSettings& settings, PrepareSlide prepare,
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
    slides.push_back(Slide{.entry = entry, .file = file});
  }
  return true;
}

void SlideTrackBuilder::PrepareAll(std::vector<Slide>& slides) {
  const SlideTrackSettings& s = settings_;
  const int scaleW = s.scaleWidth > 0 ? s.scaleWidth : s.frameWidth;
  const int scaleH = s.scaleHeight > 0 ? s.scaleHeight : s.frameHeight;
  for (Slide& slide : slides) {
    const TitleList* titles = slide.entry->titleCount > 0 ? &slide.entry->titles : nullptr;
    slide.prepared = prepare_(s.frameWidth, s.frameHeight, scaleW, scaleH, s.backgroundColor, slide.file,
                              s.imageFormat, slide.replaced, 1, 1, titles);
    // Every new picture is the show's to delete, also those after a slide that fails.
    if (slide.replaced && !settings_.keepFinalImages) tempFiles_.push_back(slide.file);
  }
}

bool SlideTrackBuilder::AddSamples(const std::vector<Slide>& slides) {
  for (const Slide& slide : slides) {
    if (!slide.prepared) {
      ErrorPrintf("QTSlideshow::PrepImage() failed to prepare the  image \"%s\"\n", slide.entry->file.c_str());
      return false;
    }
    QTGraphicsImporter importer;
    if (!importer.Open(slide.file)) {
      ErrorPrintf("QTSlideshow::AddVideoTrack() unable to initialize GraphicsImporter for \"%s\"\n",
                  slide.entry->file.c_str());
      return false;
    }
    track->media.AddImageSample(importer, slide.entry->epDuration);
  }
  return true;
}

bool SlideTrackBuilder::Build(const EPTrackList& images, QTTrack* reference) {
  if (!settings_.addImages || images.empty() || (settings_.frameWidth == 0 && settings_.frameHeight == 0))
    return true;
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
  std::vector<Slide> slides;
  if (!Collect(images, slides)) return false;
  PrepareAll(slides);
  if (!AddSamples(slides)) return false;
  track->InsertMedia(0, 0, GetMediaDuration(track->media.media), fixed1);
  if (reference) AddTrackReference(reference->track, track->track, kTrackReferenceChapterList, nullptr);
  return true;
}
