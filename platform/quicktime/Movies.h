#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/quicktime/QtErrors.h"
#include "platform/quicktime/QtHandles.h"
#include "platform/quicktime/QtTypes.h"
#include "platform/quicktime/TimeConversion.h"
#include "platform/quicktime/atoms/RawAtom.h"

// The movie toolbox: movies, tracks and media behind opaque handles, with the
// operations the program calls. Calls that give an object give null on
// failure; every call leaves its result for GetMoviesError.

class MovieRecord;
class TrackRecord;
class MediaRecord;
class MovieStorage;
using Movie = MovieRecord*;
using Track = TrackRecord*;
using Media = MediaRecord*;
using MediaHandler = MediaRecord*;
using DataHandler = MovieStorage*;
using UserData = std::vector<RawAtom>*;

// ---- Start: initialisation always succeeds, unless TOLVA_NO_QUICKTIME is
// set, which makes the toolbox behave as if it were not installed.
constexpr OSType gestaltQuickTime = Tag("qtim");
OSErr InitializeQTML(long flags);
void TerminateQTML();
OSErr EnterMovies();
void ExitMovies();
OSErr Gestalt(OSType selector, long* response);
OSErr GetMoviesError();
// The last error in plain words ("disk full", "permission denied", ...),
// naming the file it concerns when that is not the one asked for.
std::string GetMoviesErrorText();

// ---- Files: a native path becomes an FSSpec, that a data
// reference; movie storage is created or opened on a data reference.
struct FSSpec {
  std::string path;
};
constexpr OSType AliasDataHandlerSubType = Tag("alis");
constexpr long createMovieFileDeleteCurFile = 0x80000000L;
constexpr long newMovieActive = 1;
constexpr long flattenAddMovieToDataFork = 1;
constexpr long flattenForceMovieResourceBeforeMovieData = 0x40;
// A file that does not exist (or a folder) gives fnfErr with the
// FSSpec filled in all the same, as a file about to be written needs; a
// missing folder gives dirNFErr.
OSErr NativePathNameToFSSpec(const char* path, FSSpec* fileSpec, long flags);
OSErr QTNewDataReferenceFromFSSpec(const FSSpec* fileSpec, std::uint32_t flags, Handle* dataRef, OSType* dataRefType);
// A new empty movie whose own samples (AddMediaSample) go into the file.
OSErr CreateMovieStorage(Handle dataRef, OSType dataRefType, OSType creator, long scriptTag, long createFlags,
                         DataHandler* storage, Movie* newMovie);
OSErr OpenMovieStorage(Handle dataRef, OSType dataRefType, long flags, DataHandler* storage);
OSErr CloseMovieStorage(DataHandler storage);
// A movie file is read as it is; a WAV, AIFF, MP3, ADTS AAC, JPEG or PNG file
// (told apart by content) becomes a movie of one track whose samples stay in it.
// Damage that players read past is mended (GetMovieRepairs says what); a file
// refused for a reason a number cannot say leaves it in GetMovieRefusal.
OSErr NewMovieFromDataRef(Movie* movie, short flags, short* id, Handle dataRef, OSType dataRefType);
// What was mended to read the movie's file, as one line of phrases parted by
// "; "; empty for a whole file or a movie made here.
std::string GetMovieRepairs(Movie movie);
// Why the last NewMovieFromDataRef refused a file of a kind it knows, in
// words, when its importer had more to say than its number ("WAV sound in
// A-law, ..."); empty otherwise.
std::string GetMovieRefusal();
// Writes the movie as one self-contained file (the movie header first, an
// existing file replaced) and gives the movie read back from it, or null.
Movie FlattenMovieDataToDataRef(Movie movie, long flattenFlags, Handle dataRef, OSType dataRefType, OSType creator,
                                long scriptTag, long createFlags);
void DisposeMovie(Movie movie);
// Called as a flatten copies bytes; a result other than noErr stops it.
using MovieProgressUPP = OSErr (*)(Movie movie, short message, short operation, Fixed percentDone, long refCon);
constexpr short movieProgressOpen = 0, movieProgressUpdatePercent = 1, movieProgressClose = 2;
constexpr short progressOpFlatten = 1;
void SetMovieProgressProc(Movie movie, MovieProgressUPP proc, long refCon);

// ---- Movies.
TimeScale GetMovieTimeScale(Movie movie);
// Carries every track's edits over to the new scale.
void SetMovieTimeScale(Movie movie, TimeScale scale);
TimeValue GetMovieDuration(Movie movie);
long GetMovieTrackCount(Movie movie);
Track GetMovieIndTrack(Movie movie, long index);  // 1-based
UserData GetMovieUserData(Movie movie);
UserData GetTrackUserData(Track track);
// The next type after `after` (0: the first), 0 when there is none.
OSType GetNextUserDataType(UserData userData, OSType after);
short CountUserDataType(UserData userData, OSType type);
OSErr GetUserData(UserData userData, Handle data, OSType type, long index);  // 1-based among that type
OSErr AddUserData(UserData userData, Handle data, OSType type);
OSErr RemoveUserData(UserData userData, OSType type, long index);

// ---- Tracks.
Track NewMovieTrack(Movie movie, Fixed width, Fixed height, short volume);
// A null data reference means the movie's own file.
Media NewTrackMedia(Track track, OSType mediaType, TimeScale scale, Handle dataRef, OSType dataRefType);
Media GetTrackMedia(Track track);
Track GetMediaTrack(Media media);
Movie GetTrackMovie(Track track);
long GetTrackID(Track track);
void GetMediaHandlerDescription(Media media, OSType* mediaType, std::string* name, OSType* manufacturer);
void SetTrackEnabled(Track track, bool enabled);
bool GetTrackEnabled(Track track);
TimeValue GetTrackDuration(Track track);  // movie units
// A track like `source` (size, volume, media kind and clock) with no samples, in `into`.
OSErr AddEmptyTrackToMovie(Track source, Movie into, Handle dataRef, OSType dataRefType, Track* added);
// Copies what `source` presents from `sourceIn` for `duration` (source movie
// units) into `dest` at `destIn` (dest movie units; -1: the end). Samples are
// shared by reference, whole: an edit list trims a segment that starts or ends
// inside a sample.
OSErr InsertTrackSegment(Track source, Track dest, TimeValue sourceIn, TimeValue duration, TimeValue destIn);
// Presents media time [mediaTime, mediaTime + mediaDuration) at `trackStart` (-1: the end).
OSErr InsertMediaIntoTrack(Track track, TimeValue trackStart, TimeValue mediaTime, TimeValue mediaDuration, Fixed rate);
constexpr OSType kTrackReferenceChapterList = Tag("chap");
OSErr AddTrackReference(Track track, Track referenced, OSType kind, long* index);
long GetTrackReferenceCount(Track track, OSType kind);
// The `index`-th (1-based) track named by the track's references of `kind`;
// null when there is none or it is not in the movie.
Track GetTrackReference(Track track, OSType kind, long index);
// Where the track starts presenting anything: its leading empty edits, in movie units.
TimeValue GetTrackOffset(Track track);
// The media time the track presents at track time `value` (movie units); -1
// where it presents nothing.
TimeValue TrackTimeToMediaTime(TimeValue value, Track track);

// ---- Media. Sample descriptions are 1-based. Sound and image descriptions
// are handed out and taken back with their fixed fields in the host's byte
// order and their extension atoms big-endian; all others as their bytes stand.
TimeScale GetMediaTimeScale(Media media);
TimeValue GetMediaDuration(Media media);
// What the track presents of its media (its edit list), in media units: the
// length of a file's sound as it is heard.
TimeValue GetMediaPresentedDuration(Media media);
OSErr BeginMediaEdits(Media media);
OSErr EndMediaEdits(Media media);
constexpr short mediaSampleNotSync = 1;
// Appends `size` bytes of `data` from `offset` to the movie's own file.
OSErr AddMediaSample(Media media, Handle data, long offset, unsigned long size, TimeValue duration,
                     SampleDescriptionHandle description, long sampleCount, short flags, TimeValue* sampleTime);
// Samples already in the file named by the description's data reference.
OSErr AddMediaSampleReference(Media media, long dataOffset, unsigned long size, TimeValue duration,
                              SampleDescriptionHandle description, long sampleCount, short flags,
                              TimeValue* sampleTime);
OSErr AddMediaDataRef(Media media, short* index, Handle dataRef, OSType dataRefType);
long GetMediaSampleDescriptionCount(Media media);
void GetMediaSampleDescription(Media media, long index, SampleDescriptionHandle description);
OSErr SetMediaSampleDescription(Media media, long index, SampleDescriptionHandle description);
MediaHandler GetMediaHandler(Media media);
long GetMediaSampleCount(Media media);
// Start and duration, in media units, of sample `sampleNumber` (1-based).
void SampleNumToMediaTime(Media media, long sampleNumber, TimeValue* sampleTime, TimeValue* sampleDuration);
// The sample that plays at media time `time`, read from the file it lies in:
// its bytes into `dataOut` (refused with paramErr when `maxSizeToGrow` is
// above 0 and smaller than the sample), its start, duration, description
// and flags. One sample is given at a time whatever `maxNumberOfSamples`
// asks; any out-parameter may be null.
OSErr GetMediaSample(Media media, Handle dataOut, long maxSizeToGrow, long* size, TimeValue time,
                     TimeValue* sampleTime, TimeValue* durationPerSample, SampleDescriptionHandle sampleDescription,
                     long* sampleDescriptionIndex, long maxNumberOfSamples, long* numberOfSamples, short* sampleFlags);
