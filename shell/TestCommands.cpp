#include "shell/TestCommands.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "assembly/OwnInputs.h"
#include "assembly/QTMovie.h"
#include "assembly/QuickTimeStart.h"
#include "platform/helper/FileSystem.h"
#include "platform/helper/ErrorPrintf.h"
#include "platform/helper/PendingFile.h"

namespace {
constexpr int kExportTest = 0, kComponentTest = 1, kCopyTest = 2;

void PrintInputs(int number, const StdStringList& params, const StdStringList& files) {
  std::printf("you have reached the test zone; test number %d\n", number);
  std::printf("params: \n");
  for (const UString& p : params) std::printf("   %s\n", p.c_str());
  std::printf("files: \n");
  for (const UString& f : files) std::printf("   %s\n", f.c_str());
  std::printf("\n");
}

// The first input file opened as a movie, and its first sound track; either
// missing ends the run.
std::unique_ptr<QTTrack> OpenSoundOf(const StdStringList& files, QTMovie& movie) {
  if (files.empty()) {
    std::printf("need a file name for input - prefera a wav file\n");
    std::exit(2);
  }
  if (!movie.OpenExistingMovie(files.front())) {
    ErrorPrintf("Quicktime was unable to open file %s\n", files.front().c_str());
    std::exit(2);
  }
  std::unique_ptr<QTTrack> sound(movie.GetSoundTrack(0));
  if (!sound) {
    ErrorPrintf("the file \"%s\" does not contain an audio track recognized by Quicktime\n", files.front().c_str());
    std::exit(2);
  }
  return sound;
}

// The output, written in the current folder, is not the file being read.
bool SparesItsInput(const UString& input, const std::string& output) {
  UString folder = GetCurrentDirectoryA();
  OwnInputs inputs;
  inputs.Add(input);
  return inputs.Spares(AddTrailingSlash(folder) + output, "run it in another folder");
}

void CopySoundIntoNewMovie(const QTTrack& sound) {
  const UString folder = GetCurrentDirectoryA();
  const UString temp = GetTempFileNameA(folder, "tst");
  const int tempError = errno;
  QTMovie copy;
  if (temp.empty()) ErrorPrintf("working movie in \"%s\" was not written: %s\n", folder.c_str(), FileErrorText(tempError).c_str());
  if (temp.empty() || !copy.CreateMovieFile(temp)) {
    ErrorPrintf("could not open newMovie\n");
  } else {
    std::unique_ptr<QTTrack> added(copy.AddTrackCopy(sound, true, 0, -1));
    copy.FlattenMovieToFile("test.mov");
  }
  copy.Close();
  if (!temp.empty() && FileExists(temp)) DeleteFileA(temp);
}
}  // namespace

void RunTest(int number, const StdStringList& params, const StdStringList& files) {
  PrintInputs(number, params, files);
  StartQuickTime();
  if (number == kComponentTest) {
    ListComponents(Tag("spit"), Tag("MooV"), 0, 0, 0);
    return;
  }
  if (number != kExportTest && number != kCopyTest) return;
  QTMovie movie;
  const std::unique_ptr<QTTrack> sound = OpenSoundOf(files, movie);
  if (!SparesItsInput(files.front(), number == kExportTest ? "test.m4a" : "test.mov")) std::exit(2);
  if (number == kExportTest) {
    if (!movie.ExportMpeg4("test.m4a", nullptr)) std::printf("error trying to export mp4 file\n");
    return;
  }
  CopySoundIntoNewMovie(*sound);
}
