#include "project/PodGenerators.h"

#include <cerrno>
#include <cstdlib>
#include <functional>
#include <memory>

#include "assembly/QTMovie.h"
#include "assembly/QuickTimeStart.h"
#include "imaging/ImageFiles.h"
#include "platform/helper/ErrorPrintf.h"
#include "platform/helper/FileSystem.h"
#include "project/ChapterProjectWriter.h"
#include "project/MovieChapters.h"
#include "project/PodFileWriter.h"

namespace {
using Writer = std::function<bool(FILE*)>;

// "<baseName>.pod" in the current directory; one that exists ends the run
// unless it may be replaced.
UString ClaimPodName(bool allowOverwrite, const UString& baseName, bool& exists) {
  UString name;
  name.format("%s.pod", baseName.c_str());
  exists = MakeFullPath(name, GetCurrentDirectoryA());
  if (exists && !allowOverwrite) {
    ErrorPrintf("output file \"%s\" already exists\n", name.c_str());
    ErrorPrintf("  use -do to overwrite an existing output file\n");
    std::exit(2);
  }
  return name;
}

void RequireQuickTime() {
  if (StartQuickTime()) return;
  ErrorPrintf("unable to initialize QuickTime for Windows\n");
  std::exit(1);
}

bool GeneratePodFile(bool allowOverwrite, const UString& baseName, const Writer& writer) {
  bool exists = false;
  const UString name = ClaimPodName(allowOverwrite, baseName, exists);
  if (exists) DeleteFileA(name);
  RequireQuickTime();
  FILE* out = std::fopen(name.c_str(), "w+");
  if (!out) {
    ErrorPrintf("error %d atempting to open file %s for output\n", errno, name.c_str());
    return false;
  }
  const bool written = writer(out);
  std::fclose(out);
  return written;
}

// What the audio writer remembers of the first file, to hold the others to it.
struct AudioKind {
  std::string type;
  TimeScale rate = 0;
};

bool CheckAudioKind(const QTMedia& media, AudioKind& first) {
  const std::string type = media.SoundFormat();
  const TimeScale rate = GetMediaTimeScale(media.media);
  if (first.type.empty() && first.rate == 0) {
    first = {type, rate};
    return true;
  }
  if (type != first.type) {
    ErrorPrintf("  audio type (%s) does not match that of previous files (%s)\n", type.c_str(), first.type.c_str());
    return false;
  }
  if (rate != first.rate) {
    ErrorPrintf("  audio sample rate does not match that of previous files\n");
    return false;
  }
  return true;
}

bool WriteAudioSection(PodFileWriter& pod, const UString& file, int number, AudioKind& first) {
  std::printf("File: %s\n", FileNamePart(file).c_str());
  QTMovie movie;
  if (!movie.OpenExistingMovie(file)) {
    ErrorPrintf("  QuickTime was unable to open file\n");
    return false;
  }
  const std::unique_ptr<QTTrack> track(movie.GetSoundTrack(0));
  if (!track) {
    ErrorPrintf("  file does not appear to have an audio track\n");
    return false;
  }
  if (!CheckAudioKind(track->media, first)) return false;
  pod.Section("editpoint_", number);
  pod.Line(";\n");
  const std::string length = "; length of audio " + FormatMediaDuration(track->media.media) + "\n";
  pod.Line(length.c_str());
  pod.Line(";\n");
  pod.Key("audiofile", file);
  pod.Key("start", "");
  pod.Key("offset", "");
  pod.Key("chapter", FileNamePart(file));
  pod.Key("image", "");
  pod.Key("link", "");
  pod.Key("linktext", "");
  pod.EmptyLines(4);
  return true;
}

bool IsAudioBookName(const std::string& file) {
  const std::size_t dot = file.find_last_of('.');
  return dot != std::string::npos && icompare(file.substr(dot), ".m4b") == 0;
}

// The chapters within the file's sound: a movie rebuilt from it ends with the sound.
bool ReadChapters(QTMovie& movie, MovieChapters& marks) {
  const std::unique_ptr<QTTrack> sound(movie.GetSoundTrack(0));
  if (!sound) {
    ErrorPrintf("  file does not appear to have an audio track\n");
    return false;
  }
  if (!marks.Read(movie.movie)) {
    ErrorPrintf("  file has no chapters: neither a chapter track nor a 'chpl' list\n");
    return false;
  }
  const std::int64_t end = ConvertTimeScale(GetTrackDuration(sound->track), movie.GetTimeScale(), marks.timeScale);
  for (const std::string& title : marks.CutAt(end))
    ErrorPrintf("  chapter \"%s\" starts past the end of the sound and is left out\n", title.c_str());
  if (marks.chapters.empty()) ErrorPrintf("  file has no chapters within its sound\n");
  return !marks.chapters.empty();
}

// The project reader takes times of four fields: the seconds as
// "hours:minutes:seconds.units".
std::string OffsetText(long seconds) {
  const long s = seconds > 0 ? seconds : 0;
  char text[48];
  std::snprintf(text, sizeof text, "%02ld:%02ld:%02ld.0", s / 3600, s / 60 % 60, s % 60);
  return text;
}
}  // namespace

bool PodFromAudioFiles(FILE* out, const UString& baseName, const StdStringList& files) {
  PodFileWriter pod(out);
  pod.WriteHeader({baseName.c_str(), "200", "true"});
  AudioKind first;
  int number = 0;
  for (const UString& file : files)
    if (!WriteAudioSection(pod, file, ++number, first)) return false;
  pod.WriteMetadataTemplate();
  return true;
}

bool PodFromImageFiles(FILE* out, long seconds, const UString& baseName, const StdStringList& files) {
  PodFileWriter pod(out);
  pod.WriteHeader({baseName.c_str(), "300", "false"});
  const std::string offset = OffsetText(seconds);
  int number = 0;
  for (const UString& file : files) {
    std::printf("File: %s\n", FileNamePart(file).c_str());
    if (!IsImageFile(file)) {
      std::printf("  not an image file\n");
      continue;
    }
    pod.Section("editpoint_", ++number);
    pod.Key("start", "");
    pod.Key("offset", offset);
    pod.Key("chapter", FileNamePart(file));
    pod.Key("image", file);
    pod.Key("link", "");
    pod.Key("linktext", "");
    pod.EmptyLines(2);
  }
  pod.WriteMetadataTemplate();
  return true;
}

bool PodFromChapters(std::string& text, const UString& baseName, const UString& file) {
  std::printf("File: %s\n", FileNamePart(file).c_str());
  QTMovie movie;
  if (!movie.OpenExistingMovie(file)) {
    ErrorPrintf("  QuickTime was unable to open file\n");
    return false;
  }
  MovieChapters marks;
  if (!ReadChapters(movie, marks)) return false;
  PodFileWriter pod(&text);
  ChapterProjectWriter(marks, file, IsAudioBookName(file)).Write(pod, baseName);
  std::printf("  %zu chapters, %zu links\n", marks.chapters.size(), marks.links.size());
  return true;
}

bool PodFromAudioList(const StdStringList& files, bool allowOverwrite, const UString& baseName) {
  return GeneratePodFile(allowOverwrite, baseName, [&](FILE* out) { return PodFromAudioFiles(out, baseName, files); });
}

bool PodFromImageList(const StdStringList& files, bool allowOverwrite, long seconds, const UString& baseName) {
  return GeneratePodFile(allowOverwrite, baseName,
                         [&](FILE* out) { return PodFromImageFiles(out, seconds, baseName, files); });
}

// Nothing is written unless the file has chapters; the project then appears whole.
bool PodFromChapterFile(const StdStringList& files, bool allowOverwrite, const UString& baseName) {
  if (files.size() != 1) {
    ErrorPrintf("-pc takes one chaptered file, %zu given\n", files.size());
    std::exit(2);
  }
  bool exists = false;
  const UString name = ClaimPodName(allowOverwrite, baseName, exists);
  RequireQuickTime();
  std::string text;
  if (!PodFromChapters(text, baseName, files.front())) std::exit(2);
  if (WriteWholeFile(name, text)) return true;
  ErrorPrintf("error %d atempting to open file %s for output\n", errno, name.c_str());
  return false;
}
