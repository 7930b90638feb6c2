// The audio book: the sections' audio files joined end to end into one sound
// track, then every section placed by the audio rather than by its own times.
#include <cstdlib>
#include <cstdio>
#include <memory>

#include "assembly/BuildCommands.h"
#include "assembly/QTSlideshow.h"
#include "assembly/SoundFile.h"
#include "platform/helper/ErrorPrintf.h"
#include "platform/helper/FileSystem.h"
#include "project/PodProject.h"

namespace {
bool HasAudio(const PODEditPoint& group) { return group.audio && !group.audio->IsEmpty(); }
bool HasChapter(const PODEditPoint& group) { return group.chapter && !group.chapter->IsEmpty(); }
bool AllEmpty(const PODEditPoint& group) {
  return (!group.audio || group.audio->IsEmpty()) && (!group.image || group.image->IsEmpty()) &&
         (!group.chapter || group.chapter->IsEmpty()) && (!group.link || group.link->IsEmpty());
}

// Joins every section's file; the book's sample rate is the first file's.
class BookJoin {
 public:
  explicit BookJoin(QTSlideshow& slideshow) : slideshow_(slideshow) {}

  bool Add(PODEditPoint& group);
  std::int32_t Rate() const { return rate_; }
  const QTTrack* Track() const { return track_.get(); }

 private:
  bool StartTrack(std::int32_t rate);

  QTSlideshow& slideshow_;
  std::unique_ptr<QTTrack> track_;
  std::int32_t rate_ = 0;
};

bool BookJoin::Add(PODEditPoint& group) {
  const char* name = group.audio->file.c_str();
  if (!HasChapter(group))
    ErrorPrintf("AudioBook construction warning: no chapter text for audio file entry \"%s\"!\n", name);
  if (!FileExists(group.audio->file)) {
    ErrorPrintf("AudioBook construction error: audio file \"%s\" can not be found!\n", name);
    return false;
  }
  std::printf("processing audio file \"%s\"\n", name);
  SoundFile file;
  if (!file.Open(group.audio->file)) {
    ErrorPrintf("  AudioBook construction error: could not open audio file \"%s\"\n", name);
    return false;
  }
  if (!file.track) {
    ErrorPrintf("  AudioBook construction error: could not locate audio track in file \"%s\"\n", name);
    return false;
  }
  if (!track_ && !StartTrack(file.Rate())) return false;
  if (file.Rate() != rate_) {
    ErrorPrintf("  AudioBook construction error: sample rate different in file \"%s\"\n", name);
    ErrorPrintf("    sample rate is %d, should be %d\n", file.Rate(), rate_);
    return false;
  }
  group.SetLength(file.Length(), rate_);
  if (track_->InsertSegment(*file.track, 0, file.Length(), -1, false) == 0) {
    ErrorPrintf("file to add media to audio track\n");
    return false;
  }
  return true;
}

// The movie, its text tracks and the sections all count in samples of the
// book, so that each chapter falls on the very sample its file begins at.
bool BookJoin::StartTrack(std::int32_t rate) {
  rate_ = rate;
  slideshow_.timeScale = rate;
  slideshow_.movie.SetTimeScale(rate);
  track_.reset(slideshow_.movie.NewSoundTrack(0, 0, rate));
  if (!track_) ErrorPrintf("unable to create audio track %d\n", GetMoviesError());
  return track_ != nullptr;
}

bool JoinFiles(const PodProject& project, BookJoin& join) {
  for (std::int32_t n = 1;; ++n) {
    const std::unique_ptr<PODEditPoint> group = project.editPoints.MakePODEditPoint(n);
    if (!group) return true;
    if (HasAudio(*group) && !join.Add(*group)) return false;
  }
}

// Sections without audio are placed after the last chaptered file: by their
// start from that file's start, or by their offset from the running offset.
bool PlaceSections(const PodProject& project, std::int32_t rate) {
  std::int64_t position = 0, base = 0, running = 0;
  for (std::int32_t n = 1;; ++n) {
    const std::unique_ptr<PODEditPoint> group = project.editPoints.MakePODEditPoint(n);
    if (!group) return true;
    if (HasAudio(*group)) {
      group->SetStart(position, rate);
      if (HasChapter(*group)) base = running = position;
      position += group->audio->length.Value64In(rate);
      continue;
    }
    const std::int64_t start = group->startTime.Value64In(rate), offset = group->offset.Value64In(rate);
    if (start > 0) group->SetStart(base + start, rate);
    if (offset > 0) {
      running += offset;
      group->SetStart(running, rate);
    }
    if (start <= 0 && offset <= 0 && !AllEmpty(*group)) {
      ErrorPrintf("  AudioBook construction error: EditPoint_%d has no start time or offset\n", int(n));
      return false;
    }
  }
}
}  // namespace

bool BuildAudioBook(PodProject& project, const UString& destPath, const UString& extension) {
  QTSlideshow slideshow(project);
  if (!slideshow.SparesItsInputs(destPath, extension)) std::exit(2);
  if (!slideshow.Initialize(nullptr, nullptr, destPath, extension)) {
    ErrorPrintf("unable to initialize QTSlideshow\n");
    std::exit(2);
  }
  BookJoin join(slideshow);
  if (!JoinFiles(project, join) || !PlaceSections(project, join.Rate())) return false;
  if (join.Track()) slideshow.SetDurationFromTrack(join.Track());
  return AssembleFromEditPoints(slideshow, project);
}
