#include "assembly/QTSlideshow.h"

#include <cstdio>

#include "assembly/FlattenProgress.h"
#include "assembly/LinkTrackBuilder.h"
#include "assembly/OwnInputs.h"
#include "assembly/SilencePadding.h"
#include "assembly/SlideTrackBuilder.h"
#include "assembly/SoundDescriptions.h"
#include "assembly/SoundFile.h"
#include "formats/FtypHeader.h"
#include "imaging/SlideBatch.h"
#include "platform/helper/ErrorPrintf.h"
#include "platform/helper/FileSystem.h"
#include "project/EditPointAudio.h"
#include "project/EditPointChapter.h"
#include "project/EditPointImage.h"
#include "project/EditPointLink.h"
#include "project/PodProject.h"

namespace {
constexpr Fixed kNormalRate = 0x10000;

UString PathIn(const UString& folder, const std::string& name) {
  return UString(LooksLikeFullPath(name) ? name : folder + name);
}

std::size_t ImageCount(const EditPointList& points) {
  std::size_t count = 0;
  for (const EditPoint* point : points.Items())
    if (dynamic_cast<const EditPointImage*>(point) && !point->IsEmpty()) ++count;
  return count;
}
}  // namespace

QTSlideshow::QTSlideshow(PodProject& project) : project(&project), timeScale(project.timeScale) {}

QTSlideshow::~QTSlideshow() {
  videoTrack.reset();
  audioTrack.reset();
  movie.Close();
  if (!tempMovieName.empty() && FileExists(tempMovieName)) DeleteFileA(tempMovieName);
  while (!tempFiles.empty()) {
    DeleteFileA(tempFiles.front());
    tempFiles.pop_front();
  }
}

bool QTSlideshow::Initialize(const QTTrack* sound, const QTTrack* video, const std::string& destPath,
                             const std::string& ext, QTTrack** soundOut) {
  if (!destPath.empty() && !DirExists(destPath)) {
    ErrorPrintf("QTSlideshow::Initialize() output path \"%s\" does not exist\n", destPath.c_str());
    return false;
  }
  outputFolder = destPath;
  AddTrailingSlash(outputFolder);
  extension = ExtensionFor(ext);
  baseName = project->basename;
  frameWidth = project->imgWidth;
  frameHeight = project->imgHeight;
  scaleWidth = project->imgScaleWidth;
  scaleHeight = project->imgScaleHeight;
  backgroundColor = project->backgroundColor;
  // The working movie lies with the other temporary files; the toolbox lets
  // go of its name at once, so it never outlives the build.
  tempMovieName = GetTempFileNameA("", "qtTemp");
  if (tempMovieName.empty() || !movie.CreateMovieFile(tempMovieName)) return false;
  const std::int64_t start = std::int64_t(project->audioStart), length = std::int64_t(project->audioLength);
  if (sound) {
    // The movie keeps the sound's own clock, so that no edit of it is rounded.
    movie.SetTimeScale(GetMediaTimeScale(sound->media.media));
    const std::int64_t scale = GetMovieTimeScale(GetTrackMovie(sound->track));
    delete movie.AddTrackCopy(*sound, true, start * scale, length > 0 ? length * scale : -1);
    audioTrack.reset(movie.GetSoundTrack(0));
  }
  SetDurationFromTrack(audioTrack.get());
  if (video) {
    const std::int64_t scale = sound ? GetMovieTimeScale(GetTrackMovie(sound->track)) : 0;
    delete movie.AddTrackCopy(*video, true, start * scale, length > 0 ? length * scale : -1);
  }
  if (soundOut) *soundOut = audioTrack.get();
  return true;
}

void QTSlideshow::SetDurationFromTrack(const QTTrack* track) {
  if (!track) {
    movie.SetTimeScale(timeScale);
    duration = 0;
    return;
  }
  const std::int64_t rate = GetMediaTimeScale(track->media.media);
  movie.SetTimeScale(std::int32_t(rate));
  duration = rate > 0 ? GetMediaPresentedDuration(track->media.media) * timeScale / rate : 0;
}

bool QTSlideshow::Build(const EPTrackList* audio, const EPTrackList* chapters, const EPTrackList* images,
                        const EPTrackList* links, const StdStringList* metadata, const StdStringList* artwork,
                        const std::string& name) {
  if (!name.empty()) baseName = name;
  timeline.timeScale = timeScale;  // an audio book's tracks count in its samples
  if (!audioTrack) {
    audioTrack.reset(movie.GetSoundTrack(0));
    if (!audioTrack && audio && AddAudioTrack(*audio)) audioTrack.reset(movie.GetSoundTrack(0));
    if (audioTrack) SetDurationFromTrack(audioTrack.get());
  }
  if (audioTrack) {
    if (chapters) AddChapterTrack(*chapters, audioTrack.get());
    if (images) AddVideoTrack(*images, audioTrack.get());
    if (links) AddHrefTrack(*links);
    PadToMovieEnd();
  } else {
    if (images) AddVideoTrack(*images, nullptr);
    if (chapters) AddChapterTrack(*chapters, videoTrack.get());
    if (links) AddHrefTrack(*links);
  }
  if (metadata) SetUserData(*metadata, artwork);
  if (extension == "mov") return WriteMovOutput(baseName);
  return WriteOutput(baseName, extension);
}

UString QTSlideshow::ExtensionFor(const std::string& ext) const {
  return !ext.empty() ? ext : project->audioBook ? "m4b" : project->addVideo ? "m4v" : "m4a";
}

UString QTSlideshow::OutputBase(const std::string& name) const { return PathIn(outputFolder, name); }

bool QTSlideshow::SparesItsInputs(const std::string& destPath, const std::string& ext) const {
  static const std::string kRemedy = "choose another basename or -dp folder";
  UString folder = destPath;
  const UString base = PathIn(AddTrailingSlash(folder), project->basename);
  const OwnInputs inputs(*project);
  if (!inputs.Spares(base + "." + ExtensionFor(ext), kRemedy)) return false;
  const std::size_t slides = ImageCount(project->editPoints);
  for (const std::string& name : ChapterFiles::PossibleNames(ChapterFilesAsked(), base, slides))
    if (!inputs.Spares(name, kRemedy)) return false;
  return true;
}

UString QTSlideshow::OutputName(const std::string& name, const std::string& ext) const {
  return UString(OutputBase(name) + "." + ext);
}

ChapterFileOptions QTSlideshow::ChapterFilesAsked() const {
  return ChapterFileOptions{
      .json = project->chapterJson, .vtt = project->chapterVtt, .baseUrl = project->chapterBaseUrl};
}

bool QTSlideshow::Flatten(const std::string& output) {
  std::printf("writing output file ... this might take some time");
  std::fflush(stdout);
  SetMovieProgressProc(movie.movie, FlattenProgress, 0);
  const bool written = movie.FlattenMovieToFile(output);
  movie.Close();
  std::printf("\n");
  return written;
}

// The chapter files are made before the movie and named only after it.
bool QTSlideshow::WriteOutput(const std::string& name, const std::string& ext) {
  FixSoundDescriptions(audioTrack.get(), true);
  const UString output = OutputName(name, ext);
  ChapterFiles beside(ChapterFilesAsked());
  if (!beside.Prepare(timeline, OutputBase(name)) || !Flatten(output)) return false;
  if (icompare(ext, "m4v") == 0) WriteM4VHeader(output);
  else WriteM4AHeader(output);
  return beside.Commit();
}

bool QTSlideshow::WriteMovOutput(const std::string& name) {
  ChapterFiles beside(ChapterFilesAsked());
  return beside.Prepare(timeline, OutputBase(name)) && Flatten(OutputName(name, "mov")) && beside.Commit();
}

bool QTSlideshow::AddAudioTrack(const EPTrackList& list) {
  std::int32_t expected = 0;
  for (std::size_t i = 0; i < list.size(); ++i) {
    const auto& entry = static_cast<const EditPointAudio&>(*list[i]);
    const bool last = i + 1 == list.size();
    SoundFile file;
    if (!file.Open(entry.file) || !file.track) continue;
    const std::int32_t rate = file.Rate();
    if (!audioTrack) {
      movie.SetTimeScale(rate);
      audioTrack.reset(movie.NewSoundTrack(0, 0, rate));
      if (!audioTrack) {
        ErrorPrintf("unable to create audio track %d\n", GetMoviesError());
        return false;
      }
      expected = rate;
    } else if (rate != expected) {
      ErrorPrintf("sample rate is different in file \"%s\"\n", entry.file.c_str());
      ErrorPrintf("  time scale is %d, should be %d\n", rate, expected);
      return false;
    }
    const std::int64_t length = file.Length();  // in samples, as the file's movie now counts
    std::int64_t slot = ScaledTime(timeScale, entry.epDuration).Value64In(rate);
    if (last) slot = entry.audioLength.Value64In(rate) > 0 ? entry.audioLength.Value64In(rate) : length;
    const std::int64_t played = length > slot ? slot : length;
    if (audioTrack->InsertSegment(*file.track, 0, played, -1, false) == 0) {
      ErrorPrintf("file to add media to audio track\n");
      return false;
    }
    if (!last && length < slot) InsertSilence(*audioTrack, ScaledTime(rate, slot - length), project->silence);
  }
  return true;
}

bool QTSlideshow::PadToMovieEnd() {
  const ScaledTime target(movie.GetTimeScale(), GetMovieDuration(movie.movie));
  return audioTrack && PadWithSilence(movie, target, *audioTrack, project->silence) != nullptr;
}

bool QTSlideshow::AddChapterTrack(const EPTrackList& list, QTTrack* reference) {
  std::unique_ptr<QTTrack> chapters(movie.NewTextTrack(0, 0, timeScale));
  if (!chapters) {
    ErrorPrintf("unable to create text track %d\n", GetMoviesError());
    return false;
  }
  QTMedia& media = chapters->media;
  if (const OSErr err = BeginMediaEdits(media.media); err != noErr) {
    ErrorPrintf("BeginMediaEdits() failed %d\n", err);
    return false;
  }
  chapterMarks.clear();
  timeline.chapters.clear();
  for (const EditPoint* item : list) {
    const auto& entry = static_cast<const EditPointChapter&>(*item);
    const TimeValue at = media.AddTextSample(entry.chapter, entry.chapter.size(), entry.epDuration, &entry.textSettings);
    if (at < 0) continue;
    chapterMarks.push_back({ConvertTimeScale(at, timeScale, movie.GetTimeScale()), entry.chapter});
    timeline.chapters.push_back(TimedText{.start = at, .duration = entry.epDuration, .text = entry.chapter});
  }
  EndMediaEdits(media.media);
  chapters->InsertMedia(-1, 0, GetMediaDuration(media.media), kNormalRate);
  if (reference) {
    chapters->SetEnabled(false);
    AddTrackReference(reference->track, chapters->track, kTrackReferenceChapterList, nullptr);
  }
  return true;
}

bool QTSlideshow::AddVideoTrack(const EPTrackList& list, QTTrack* reference) {
  const SlideTrackSettings settings{.addImages = project->addImages,
                                    .frameWidth = frameWidth,
                                    .frameHeight = frameHeight,
                                    .scaleWidth = scaleWidth,
                                    .scaleHeight = scaleHeight,
                                    .backgroundColor = backgroundColor,
                                    .imageFormat = project->qtImageFormat,
                                    .keepFinalImages = project->keepFinalImages,
                                    .timeScale = timeScale};
  // The pictures are prepared side by side; the track takes them in list order.
  const SlideBatch batch(Preparer());
  auto prepare = [&batch](const std::vector<SlideJob>& jobs) { return batch.Prepare(jobs); };
  SlideTrackBuilder slides(movie, settings, prepare, tempFiles);
  if (!slides.Build(list, reference)) return false;
  if (!videoTrack) {
    videoTrack = std::move(slides.track);
    timeline.slides = std::move(slides.shown);
  }
  return true;
}

SlidePreparer QTSlideshow::Preparer() const {
  return SlidePreparer(SlideSettings{.imgScaleMethod = project->imgScaleMethod,
                                     .intScaleMethod = project->intScaleMethod,
                                     .intScaleFactor = project->intScaleFactor,
                                     .keepIntermediateImages = project->keepIntermediateImages,
                                     .keepFinalImages = project->keepFinalImages,
                                     .baseFolder = project->baseFolder});
}

bool QTSlideshow::PrepImage(int frameW, int frameH, int scaleW, int scaleH, COLORREF colour, UString& imageFile,
                            int outFormat, bool& replaced, int hMode, int vMode, const TitleList* titles) const {
  return Preparer().PrepImage(frameW, frameH, scaleW, scaleH, colour, imageFile, outFormat, replaced, hMode, vMode,
                              titles);
}

// The chapter files name each time's link, also when the movie shows none.
bool QTSlideshow::AddHrefTrack(const EPTrackList& list) {
  timeline.links.clear();
  TimeValue at = 0;
  for (const EditPoint* point : list) {
    const auto* entry = dynamic_cast<const EditPointLink*>(point);
    if (!entry) continue;
    const bool clear = icompare(entry->link, "&clear") == 0;
    timeline.links.push_back(TimedText{.start = at, .duration = entry->epDuration, .text = clear ? "" : entry->link});
    at += entry->epDuration;
  }
  LinkTrackBuilder links(movie, {.addImages = project->addImages,
                                 .frameWidth = frameWidth,
                                 .frameHeight = frameHeight,
                                 .timeScale = timeScale});
  return links.Build(list);
}

void QTSlideshow::SetUserData(const StdStringList& lines, const StdStringList* artwork) {
  SetMovieUserData(movie, lines, artwork, chapterMarks);
}
