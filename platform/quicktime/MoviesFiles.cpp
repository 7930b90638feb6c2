// Start-up and the file family: specifications, data references, storage,
// opening movies and flattening them.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/quicktime/ImportedTrack.h"
#include "platform/quicktime/MovieFileReader.h"
#include "platform/quicktime/MovieFlattener.h"
#include "platform/quicktime/MovieStorage.h"
#include "platform/quicktime/Movies.h"
#include "platform/quicktime/ToolboxState.h"
#include "platform/quicktime/model/MovieRecord.h"

namespace {
constexpr long kQuickTimeVersion = 0x07608000;  // what the program checks for: 7.6.8

OSErr Done(OSErr err) { return ToolboxState::Result(err); }

std::string PathOf(Handle dataRef) { return dataRef ? std::string(dataRef->begin(), dataRef->end()) : std::string(); }

std::string Absolute(const std::string& path) {
  if (path.empty() || path[0] == '/') return path;
  char here[4096];
  return ::getcwd(here, sizeof here) ? std::string(here) + "/" + path : path;
}

OSErr OpenMovie(const std::string& path, MovieRecord& movie) {
  const OSErr err = MovieFileReader::Read(path, movie);
  if (err != noMovieFound) return err;
  ImportedMedia imported;
  if (const ImportErr found = ImportMediaFile(path, imported); found != ImportErr::None) {
    ToolboxState::SetRefusal(std::move(imported.refusal));
    return found == ImportErr::NotMovieFile ? OSErr(noMovieFound) : OSErr(found);
  }
  movie.tracks.clear();  // whatever a failed read left
  movie.userData.clear();
  movie.repairs = std::move(imported.repairs);
  movie.nextTrackId = 1;
  movie.timeScale = TimeScale(imported.timeScale);
  return ImportedTrack::AddTo(movie, imported);
}
}  // namespace

OSErr InitializeQTML(long) { return Done(ToolboxState::Installed() ? noErr : qtmlDllLoadErr); }

void TerminateQTML() {}

OSErr EnterMovies() {
  if (!ToolboxState::Installed()) return Done(qtmlUninitialized);
  ToolboxState::SetStarted(true);
  return Done(noErr);
}

void ExitMovies() { ToolboxState::SetStarted(false); }

OSErr Gestalt(OSType selector, long* response) {
  if (!ToolboxState::Installed()) return Done(qtmlDllLoadErr);
  if (selector != gestaltQuickTime || !response) return Done(paramErr);
  *response = kQuickTimeVersion;
  return Done(noErr);
}

OSErr GetMoviesError() { return ToolboxState::LastResult(); }

std::string GetMoviesErrorText() { return ToolboxState::LastResultText(); }

OSErr NativePathNameToFSSpec(const char* path, FSSpec* fileSpec, long) {
  if (!path || !*path || !fileSpec) return Done(paramErr);
  fileSpec->path = Absolute(path);
  struct stat info;
  if (::stat(fileSpec->path.c_str(), &info) == 0) return Done(S_ISDIR(info.st_mode) ? fnfErr : noErr);
  const std::size_t slash = fileSpec->path.rfind('/');
  const std::string folder = slash == 0 ? "/" : fileSpec->path.substr(0, slash);
  return Done(::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) ? fnfErr : dirNFErr);
}

OSErr QTNewDataReferenceFromFSSpec(const FSSpec* fileSpec, std::uint32_t, Handle* dataRef, OSType* dataRefType) {
  if (!fileSpec || fileSpec->path.empty() || !dataRef || !dataRefType) return Done(paramErr);
  *dataRef = new std::vector<std::uint8_t>(fileSpec->path.begin(), fileSpec->path.end());
  *dataRefType = AliasDataHandlerSubType;
  return Done(noErr);
}

OSErr CreateMovieStorage(Handle dataRef, OSType, OSType, long, long createFlags, DataHandler* storage,
                         Movie* newMovie) {
  const std::string path = PathOf(dataRef);
  if (path.empty() || !newMovie) return Done(paramErr);
  std::shared_ptr<WorkingFile> file;
  std::string why;
  if (const OSErr err = WorkingFile::Create(path, createFlags & createMovieFileDeleteCurFile, file, why); err != noErr)
    return ToolboxState::Failure(err, why);
  *newMovie = new MovieRecord();
  (*newMovie)->storagePath = path;
  (*newMovie)->workingFile = file;
  if (storage) *storage = new MovieStorage(path, file);
  return Done(noErr);
}

OSErr OpenMovieStorage(Handle dataRef, OSType, long, DataHandler* storage) {
  const std::string path = PathOf(dataRef);
  if (path.empty() || !storage) return Done(paramErr);
  struct stat info;
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return Done(fnfErr);
  if (::access(path.c_str(), R_OK) != 0) return Done(-54);  // permErr
  *storage = new MovieStorage(path);
  return Done(noErr);
}

OSErr CloseMovieStorage(DataHandler storage) {
  delete storage;
  return Done(noErr);
}

OSErr NewMovieFromDataRef(Movie* movie, short, short* id, Handle dataRef, OSType) {
  if (!movie) return Done(paramErr);
  *movie = nullptr;
  auto read = std::make_unique<MovieRecord>();
  ToolboxState::SetRefusal({});
  if (const OSErr err = OpenMovie(PathOf(dataRef), *read); err != noErr) return Done(err);
  if (id) *id = 0;
  *movie = read.release();
  return Done(noErr);
}

std::string GetMovieRepairs(Movie movie) {
  if (!movie) return Done(invalidMovie), std::string();
  std::string line;
  for (const std::string& repair : movie->repairs) line += (line.empty() ? "" : "; ") + repair;
  Done(noErr);
  return line;
}

std::string GetMovieRefusal() { return ToolboxState::Refusal(); }

Movie FlattenMovieDataToDataRef(Movie movie, long, Handle dataRef, OSType, OSType, long, long) {
  const std::string path = PathOf(dataRef);
  if (!movie || path.empty()) return Done(paramErr), nullptr;
  MovieFlattener flattener(*movie);
  if (const OSErr err = flattener.WriteWithProgress(path); err != noErr)
    return ToolboxState::Failure(err, flattener.Why()), nullptr;
  auto flat = std::make_unique<MovieRecord>();
  if (Done(flattener.TakeWritten(*flat)) != noErr) return nullptr;
  return flat.release();
}

void DisposeMovie(Movie movie) { delete movie; }

void SetMovieProgressProc(Movie movie, MovieProgressUPP proc, long refCon) {
  if (!movie) return void(Done(invalidMovie));
  if (!proc) return void(movie->progress = nullptr);
  movie->progress = [movie, proc, refCon](short message, double fraction) {
    return proc(movie, message, progressOpFlatten, X2Fix(fraction), refCon);
  };
  Done(noErr);
}
