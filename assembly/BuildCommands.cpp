#include "assembly/BuildCommands.h"

#include <cstdlib>
#include <memory>

#include "assembly/QTSlideshow.h"
#include "assembly/QuickTimeStart.h"
#include "assembly/SoundFile.h"
#include "platform/helper/ErrorPrintf.h"
#include "platform/helper/FileSystem.h"
#include "project/PodProject.h"

namespace {
[[noreturn]] void Fail(int status) { std::exit(status); }

// The project's audio file, whose tracks the movie copies; it stays open
// until the output is written. Ends the run when it cannot serve.
void OpenProjectAudio(const PodProject& project, SoundFile& source, std::unique_ptr<QTTrack>& video) {
  const char* name = project.audioFile.c_str();
  if (!source.Open(project.audioFile)) {
    ErrorPrintf("Quicktime was unable to open file %s\n", name);
    Fail(2);
  }
  if (project.addVideo) {
    video.reset(source.movie.GetVideoTrack(0));
    if (!video) {
      ErrorPrintf("The file \"%s\" does not contain a video track recognized by Quicktime\n", name);
      Fail(2);
    }
  }
  if (!source.track) {
    ErrorPrintf("The file \"%s\" does not contain an audio track recognized by Quicktime\n", name);
    Fail(2);
  }
}

bool BuildShow(PodProject& project, const UString& audioFilePath, const UString& destPath, const UString& extension) {
  if (!audioFilePath.empty()) project.audioFile = audioFilePath;
  SoundFile source;
  std::unique_ptr<QTTrack> video;
  QTSlideshow slideshow(project);
  if (!slideshow.SparesItsInputs(destPath, extension)) Fail(2);
  if (!project.audioFile.empty()) OpenProjectAudio(project, source, video);
  if (!slideshow.Initialize(source.track.get(), video.get(), destPath, extension)) {
    ErrorPrintf("unable to initialize QTSlideshow class\n");
    Fail(2);
  }
  return AssembleFromEditPoints(slideshow, project);
}
}  // namespace

bool BuildPodFile(const UString& podPath, const UString& audioFilePath, const UString& destPath,
                  const UString& extension, bool dumpProject) {
  PodProject project(600);
  if (!FileExists(podPath)) {
    ErrorPrintf("pod file %s does not exist\n", podPath.c_str());
    Fail(2);
  }
  if (!project.Load(podPath, GetCurrentDirectoryA())) Fail(2);
  if (dumpProject) project.Dump();
  if (!StartQuickTime()) {
    ErrorPrintf("unable to initialize QuickTime for Windows\n");
    Fail(1);
  }
  if (project.audioBook) return BuildAudioBook(project, destPath, extension);
  return BuildShow(project, audioFilePath, destPath, extension);
}

bool AssembleFromEditPoints(QTSlideshow& slideshow, PodProject& project) {
  EditPointList& points = project.editPoints;
  const std::int32_t scale = slideshow.timeScale;
  const std::int64_t total = slideshow.duration;
  const std::unique_ptr<EPTrackList> audio = points.MakeAudioList(scale, total);
  const std::unique_ptr<EPTrackList> chapters = points.MakeChapterList(scale, total);
  const std::unique_ptr<EPTrackList> images = points.MakeImageList(scale, total);
  const std::unique_ptr<EPTrackList> links = points.MakeLinkList(scale, total);
  if (!chapters) return ErrorPrintf("unable to initialize chapters list\n"), false;
  if (!images) return ErrorPrintf("unable to initialize images list\n"), false;
  if (!links) return ErrorPrintf("unable to initialize hrefs list\n"), false;
  return slideshow.Build(audio.get(), chapters.get(), images.get(), links.get(), &project.metadata,
                         &project.artwork, "");
}
