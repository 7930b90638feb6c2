#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "assembly/ChapterFiles.h"
#include "assembly/ChapterTimeline.h"
#include "assembly/MovieUserData.h"
#include "assembly/QTMovie.h"
#include "imaging/SlidePreparer.h"
#include "imaging/TitleList.h"
#include "platform/helper/StdStringList.h"
#include "platform/helper/UString.h"
#include "platform/helper/Win32Defs.h"
#include "project/EPTrackList.h"

class PodProject;

// The builder of one movie: the working movie (samples held by reference to
// the project's files), its tracks in a fixed order, the user data, and the
// output file flattened from it. Every temporary file goes with the object.
class QTSlideshow {
 public:
  explicit QTSlideshow(PodProject& project);
  ~QTSlideshow();
  QTSlideshow(const QTSlideshow&) = delete;
  QTSlideshow& operator=(const QTSlideshow&) = delete;

  // Creates the working movie and copies in the project audio file's tracks
  // (either may be null); `soundOut`, when given, receives the sound track.
  bool Initialize(const QTTrack* sound, const QTTrack* video, const std::string& destPath,
                  const std::string& extension, QTTrack** soundOut = nullptr);
  // False, saying which, when the movie written into `destPath` with `ext`
  // (as Initialize will name it) or a chapter file beside it would take the
  // place of one of the project's own files.
  bool SparesItsInputs(const std::string& destPath, const std::string& ext) const;
  // The movie's clock and `duration` from the sound track (none: 0).
  void SetDurationFromTrack(const QTTrack* track);
  // Any list may be null; a non-empty `name` replaces the base name.
  bool Build(const EPTrackList* audio, const EPTrackList* chapters, const EPTrackList* images,
             const EPTrackList* links, const StdStringList* metadata, const StdStringList* artwork,
             const std::string& name);
  bool WriteOutput(const std::string& name, const std::string& ext);
  bool WriteMovOutput(const std::string& name);

  // The audio edit points joined one after another, each in its slot.
  bool AddAudioTrack(const EPTrackList& list);
  // One text sample per chapter, disabled and named by a 'chap' reference
  // from `reference` (when there is one).
  bool AddChapterTrack(const EPTrackList& list, QTTrack* reference);
  // The metadata, the artwork and the chapters gathered so far in the movie's user data.
  void SetUserData(const StdStringList& lines, const StdStringList* artwork);
  // Silence after the sound up to the movie's end.
  bool PadToMovieEnd();
  // One prepared picture per image edit point, named by a 'chap' reference
  // from `reference` (when there is one); the first slide track made becomes
  // `videoTrack`.
  bool AddVideoTrack(const EPTrackList& list, QTTrack* reference);
  // One slide scaled into the frame, titled and saved in `outFormat`; when a
  // new file is written, `imageFile` becomes its name and `replaced` true.
  bool PrepImage(int frameW, int frameH, int scaleW, int scaleH, COLORREF colour, UString& imageFile, int outFormat,
                 bool& replaced, int hMode, int vMode, const TitleList* titles) const;
  // One clickable timed-text sample per link; in no 'chap' list.
  bool AddHrefTrack(const EPTrackList& list);

  StdStringList tempFiles;
  PodProject* project;
  std::int32_t timeScale;
  QTMovie movie;
  std::unique_ptr<QTTrack> audioTrack;
  std::unique_ptr<QTTrack> videoTrack;
  UString tempMovieName;
  UString outputFolder;
  std::int64_t duration = 0;
  UString extension;
  UString baseName;
  std::int32_t frameWidth = 0, frameHeight = 0;
  std::int32_t scaleWidth = 0, scaleHeight = 0;
  std::uint32_t backgroundColor = 0;
  std::vector<ChapterMark> chapterMarks;  // each chapter sample's start, in the movie's time scale
  ChapterTimeline timeline;               // the chapter, slide and link samples, in `timeScale`

 private:
  // The project's way of preparing slides.
  SlidePreparer Preparer() const;
  // The output's extension when `ext` does not give one.
  UString ExtensionFor(const std::string& ext) const;
  // The output's path without its extension.
  UString OutputBase(const std::string& name) const;
  UString OutputName(const std::string& name, const std::string& ext) const;
  ChapterFileOptions ChapterFilesAsked() const;
  bool Flatten(const std::string& output);
};
