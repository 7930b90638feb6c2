#include "assembly/QTMovie.h"

#include <cstdio>
#include <vector>

#include "platform/helper/ErrorPrintf.h"

namespace {
constexpr OSType kSound = Tag("soun"), kVideo = Tag("vide"), kText = Tag("text");
constexpr long kStorageCreateFlags = 0x90000000L, kStorageOpenFlags = 9, kFlattenFlags = 0x41;
constexpr short kFullVolume = 0x100;

// The FSSpec of a file that may not exist yet: the file is made only
// when it is whole.
bool SpecFor(const std::string& path, FSSpec& fileSpec) {
  const OSErr err = NativePathNameToFSSpec(path.c_str(), &fileSpec, 0);
  return err == noErr || err == fnfErr;
}

// The line that tells, in plain words, that a file was not written and why.
void SayNotWritten(const std::string& what, const std::string& path, OSErr err) {
  ErrorPrintf("%s \"%s\" was not written: %s (%d)\n", what.c_str(), path.c_str(), GetMoviesErrorText().c_str(), err);
}

void PrintComponent(Component component) {
  ComponentDescription description;
  std::vector<std::uint8_t> name, info;
  GetComponentInfo(component, &description, &name, &info, nullptr);
  const auto text = [](const std::vector<std::uint8_t>& pascal) {
    return pascal.empty() ? std::string() : std::string(pascal.begin() + 1, pascal.begin() + 1 + pascal[0]);
  };
  std::printf("Component    %d\n", int(ComponentNumber(component)));
  std::printf("  type:      %s\n", TagText(description.componentType).c_str());
  std::printf("  sub type:  %s\n", TagText(description.componentSubType).c_str());
  std::printf("  mfgr:      %s\n", TagText(description.componentManufacturer).c_str());
  std::printf("  name:      %s\n", text(name).c_str());
  std::printf("  infor str: %s\n", text(info).c_str());
  std::printf("\n");
}
}  // namespace

bool QTMovie::CreateMovieFile(const std::string& file) {
  path = file;
  FSSpec fileSpec;
  if (!SpecFor(path, fileSpec)) {
    std::printf("quicktime does not like the file path: %s\n", path.c_str());
    return false;
  }
  if (const OSErr err = QTNewDataReferenceFromFSSpec(&fileSpec, 0, &dataRef, &dataRefType); err != noErr) {
    std::printf("CreateMovieFile() could not create new data ref from FSRef %d\n", err);
    return false;
  }
  if (const OSErr err = CreateMovieStorage(dataRef, dataRefType, 0, -1, kStorageCreateFlags, &storage, &movie);
      err != noErr) {
    std::printf("unable to create movie storage: %d\n", err);
    SayNotWritten("working movie", path, err);
    return false;
  }
  return true;
}

bool QTMovie::OpenExistingMovie(const std::string& file) {
  path = file;
  FSSpec fileSpec;
  if (NativePathNameToFSSpec(path.c_str(), &fileSpec, 0) != noErr) {
    std::printf("quicktime does not like the file path: %s\n", path.c_str());
    return false;
  }
  if (const OSErr err = QTNewDataReferenceFromFSSpec(&fileSpec, 0, &dataRef, &dataRefType); err != noErr) {
    std::printf("OpenExistingMovie() could not create new data ref from FSRef %d\n", err);
    return false;
  }
  if (const OSErr err = OpenMovieStorage(dataRef, dataRefType, kStorageOpenFlags, &storage); err != noErr) {
    std::printf("unable to open movie storage %d\n", err);
    return false;
  }
  if (const OSErr err = NewMovieFromDataRef(&movie, newMovieActive, &resourceId, dataRef, dataRefType); err != noErr) {
    std::printf("NewMovieFromDataRef failed %d\n", err);
    if (const std::string why = GetMovieRefusal(); !why.empty()) ErrorPrintf("%s: %s\n", path.c_str(), why.c_str());
    return false;
  }
  if (const std::string repairs = GetMovieRepairs(movie); !repairs.empty())
    ErrorPrintf("%s: repaired while reading: %s\n", path.c_str(), repairs.c_str());
  return true;
}

bool QTMovie::FlattenMovieToFile(const std::string& file) {
  FSSpec fileSpec;
  if (!SpecFor(file, fileSpec)) {
    std::printf("FlattenMovieToFile: quicktime does not like the file path: %s\n", file.c_str());
    SayNotWritten("movie", file, GetMoviesError());
    return false;
  }
  Handle target = nullptr;
  OSType targetType = 0;
  if (const OSErr err = QTNewDataReferenceFromFSSpec(&fileSpec, 0, &target, &targetType); err != noErr) {
    std::printf("FlattenMovieToFile: unable to get file reference: %s\n", file.c_str());
    SayNotWritten("movie", file, err);
    return false;
  }
  Movie flat = FlattenMovieDataToDataRef(movie, kFlattenFlags, target, targetType, Tag("TVOD"), -1,
                                         createMovieFileDeleteCurFile);
  const OSErr err = GetMoviesError();
  DisposeHandle(target);
  if (!flat) {
    std::printf("FlattenMovieToFile: unable to flatten data ref: (%d) %s\n", err, file.c_str());
    SayNotWritten("movie", file, err);
    return false;
  }
  DisposeMovie(flat);
  return true;
}

bool QTMovie::Close() {
  if (storage) CloseMovieStorage(storage);
  DisposeHandle(dataRef);
  storage = nullptr;
  dataRef = nullptr;
  dataRefType = 0;
  if (movie) DisposeMovie(movie);
  movie = nullptr;
  return true;
}

bool QTMovie::ExportMpeg4(const std::string& file, const QTTrack* track) {
  Component found = FindExporter(kQTFileTypeMP4, 0);
  if (!found) {
    std::printf("could not locate mpeg 4 exporter\n");
    return false;
  }
  FSSpec fileSpec;
  if (!SpecFor(file, fileSpec)) {
    std::printf("quicktime does not like the file path: %s\n", file.c_str());
    SayNotWritten("movie", file, GetMoviesError());
    return false;
  }
  ComponentInstance exporter = OpenComponent(found);
  const OSErr err = MovieExportToFile(exporter, &fileSpec, movie, track ? track->track : nullptr, 0, GetMovieDuration(movie));
  const std::string why = GetMoviesErrorText();
  CloseComponent(exporter);
  if (err != noErr) {
    std::printf("MovieExportToFile returned error %d\n", err);
    ErrorPrintf("movie \"%s\" was not written: %s (%d)\n", file.c_str(), why.c_str(), err);
    return false;
  }
  return true;
}

QTTrack* QTMovie::GetSoundTrack(int n) { return TrackOfType(kSound, n); }

QTTrack* QTMovie::GetVideoTrack(int n) { return TrackOfType(kVideo, n); }

int QTMovie::CountVideoTracks() {
  int count = 0;
  for (long i = 1; i <= GetMovieTrackCount(movie); ++i) {
    OSType type = 0;
    GetMediaHandlerDescription(GetTrackMedia(GetMovieIndTrack(movie, i)), &type, nullptr, nullptr);
    if (type == kVideo) ++count;
  }
  return count;
}

QTTrack* QTMovie::TrackOfType(OSType type, int n) {
  for (long i = 1; i <= GetMovieTrackCount(movie); ++i) {
    Track track = GetMovieIndTrack(movie, i);
    OSType kind = 0;
    GetMediaHandlerDescription(GetTrackMedia(track), &kind, nullptr, nullptr);
    if (kind == type && n-- == 0) return new QTTrack(this, track);
  }
  return nullptr;
}

QTTrack* QTMovie::NewSoundTrack(std::int32_t width, std::int32_t height, TimeScale scale) {
  return NewTrack(kSound, width, height, kFullVolume, scale);
}

QTTrack* QTMovie::NewVideoTrack(std::int32_t width, std::int32_t height, TimeScale scale) {
  return NewTrack(kVideo, width, height, 0, scale);
}

QTTrack* QTMovie::NewTextTrack(std::int32_t width, std::int32_t height, TimeScale scale) {
  return NewTrack(kText, width, height, 0, scale);
}

QTTrack* QTMovie::NewTrack(OSType type, std::int32_t width, std::int32_t height, short volume, TimeScale scale) {
  Track track = NewMovieTrack(movie, Long2Fix(width), Long2Fix(height), volume);
  if (!track || !NewTrackMedia(track, type, scale, dataRef, dataRefType)) return nullptr;
  return new QTTrack(this, track);
}

QTTrack* QTMovie::AddTrackCopy(const QTTrack& source, bool withMedia, TimeValue start, TimeValue duration) {
  const QTMovie* from = source.movie;
  Track added = nullptr;
  if (const OSErr err = AddEmptyTrackToMovie(source.track, movie, from ? from->dataRef : nullptr,
                                             from ? from->dataRefType : 0, &added);
      err != noErr) {
    std::printf("unable to add empty track to move: %d\n", err);
    return nullptr;
  }
  auto* copy = new QTTrack(this, added);
  if (!copy->media.media) {
    std::printf("failed to creat new track\n");
    delete copy;
    return nullptr;
  }
  if (withMedia && copy->InsertSegment(source, start, duration, -1, false) == 0) {
    delete copy;
    return nullptr;
  }
  return copy;
}

int ListComponents(OSType type, OSType subType, OSType maker, std::uint32_t flags, std::uint32_t mask) {
  const ComponentDescription looking{type, subType, maker, flags, mask};
  int count = 0;
  for (Component c = FindNextComponent(nullptr, &looking); c; c = FindNextComponent(c, &looking), ++count)
    PrintComponent(c);
  return count;
}

Component FindExporter(OSType subType, OSType maker) {
  const ComponentDescription looking{MovieExportType, subType, maker, 0, 0};
  Component found = FindNextComponent(nullptr, &looking);
  if (found) PrintComponent(found);
  return found;
}
