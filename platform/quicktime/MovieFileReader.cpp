#include "platform/quicktime/MovieFileReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/quicktime/TimeConversion.h"
#include "platform/quicktime/atoms/AtomReader.h"
#include "platform/quicktime/atoms/AtomWriter.h"

namespace {
constexpr OSType kFragmentTypes[] = {Tag("moof"), Tag("mvex")};

class FileCloser {
 public:
  explicit FileCloser(int fd) : fd_(fd) {}
  ~FileCloser() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileCloser(const FileCloser&) = delete;
  FileCloser& operator=(const FileCloser&) = delete;

 private:
  int fd_;
};

bool ReadAt(int fd, std::uint64_t offset, std::uint8_t* into, std::size_t count) {
  while (count > 0) {
    const ssize_t n = ::pread(fd, into, count, off_t(offset));
    if (n <= 0) {
      if (n < 0 && errno == EINTR) continue;
      return false;
    }
    into += n;
    offset += std::uint64_t(n);
    count -= std::size_t(n);
  }
  return true;
}

std::uint64_t BigAt(const std::uint8_t* bytes, int count) {
  std::uint64_t value = 0;
  for (int i = 0; i < count; ++i) value = value << 8 | bytes[i];
  return value;
}

OSErr OpenError() {
  if (errno == EACCES || errno == EPERM) return -54;  // permErr
  return fnfErr;
}

// 'url ' entries may name a file by path or file: URL; anything else is
// resolved nowhere.
bool LocationPath(const DataEntryAtom& entry, std::string& path) {
  if (entry.type != Tag("url ") || entry.location.empty()) return false;
  path.assign(entry.location.begin(), entry.location.end());
  path.erase(path.find('\0') == std::string::npos ? path.size() : path.find('\0'));
  if (path.rfind("file://", 0) == 0) path.erase(0, 7);
  struct stat info;
  return !path.empty() && path[0] == '/' && ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}
}  // namespace

OSErr MovieFileReader::Read(const std::string& path, MovieRecord& movie) {
  if (path.empty()) return paramErr;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return OpenError();
  FileCloser closer(fd);
  struct stat info;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) return fnfErr;
  MovieAtom atoms;
  if (const OSErr err = ReadMovieAtom(fd, atoms); err != noErr) return err;
  return FromAtoms(atoms, path, movie);
}

// The bytes read are gone once parsed, unless the sample sizes that fill
// most of them stay in them: a long book's tables are held once.
OSErr MovieFileReader::ReadMovieAtom(int fd, MovieAtom& atoms) {
  auto bytes = std::make_shared<std::vector<std::uint8_t>>();
  if (const OSErr err = FindMovieAtom(fd, *bytes); err != noErr) return err;
  AtomReader reader(std::move(bytes));
  reader.Atom(atoms);
  return reader.Status();
}

OSErr MovieFileReader::FindMovieAtom(int fd, std::vector<std::uint8_t>& bytes) {
  struct stat info;
  if (::fstat(fd, &info) != 0) return ioErr;
  const std::uint64_t fileSize = std::uint64_t(info.st_size);
  for (std::uint64_t at = 0; at < fileSize;) {
    std::uint8_t head[16] = {};
    const std::size_t headBytes = std::size_t(std::min<std::uint64_t>(16, fileSize - at));
    if (headBytes < 8 || !ReadAt(fd, at, head, headBytes)) return noMovieFound;
    std::uint64_t size = BigAt(head, 4), headerBytes = 8;
    const OSType type = OSType(BigAt(head + 4, 4));
    if (size == 1) {
      if (headBytes < 16) return noMovieFound;
      size = BigAt(head + 8, 8);
      headerBytes = 16;
    } else if (size == 0) {
      size = fileSize - at;  // runs to the end of the file
    }
    if (size < headerBytes || size > fileSize - at) return noMovieFound;
    for (OSType fragment : kFragmentTypes)
      if (type == fragment) return noMovieFound;
    if (type == MovieAtom::kType) {
      if (size > kMaxMovieAtom) return memFullErr;
      bytes.resize(std::size_t(size));
      return ReadAt(fd, at, bytes.data(), bytes.size()) ? noErr : ioErr;
    }
    at += size;
  }
  return noMovieFound;
}

OSErr MovieFileReader::FromAtoms(MovieAtom& atoms, const std::string& path, MovieRecord& movie) {
  for (const RawAtom& other : atoms.others)
    for (OSType fragment : kFragmentTypes)
      if (other.type == fragment) return noMovieFound;
  if (atoms.header.timeScale == 0 || atoms.header.timeScale > INT32_MAX) return noMovieFound;
  movie.timeScale = TimeScale(atoms.header.timeScale);
  movie.matrix = atoms.header.matrix;
  movie.created = atoms.header.created;
  movie.modified = atoms.header.modified;
  if (atoms.userData) movie.userData = std::move(atoms.userData->items);
  for (TrackAtom& trackAtom : atoms.tracks) {
    TrackRecord& track = movie.AddTrack();
    if (const OSErr err = ReadTrack(trackAtom, path, track); err != noErr) return err;
  }
  std::uint32_t highest = 0;
  for (const auto& track : movie.tracks) highest = std::max(highest, track->id);
  movie.nextTrackId = std::max(atoms.header.nextTrackId, highest + 1);
  return noErr;
}

OSErr MovieFileReader::ReadTrack(TrackAtom& atom, const std::string& path, TrackRecord& track) {
  const TrackHeaderAtom& header = atom.header;
  track.id = header.trackId;
  track.enabled = header.flags & TrackHeaderAtom::kEnabled;
  track.width = Fixed(header.width);
  track.height = Fixed(header.height);
  track.volume = header.volume;
  track.layer = header.layer;
  track.alternateGroup = header.alternateGroup;
  track.matrix = header.matrix;
  if (atom.edits && atom.edits->editList)
    for (const EditListAtom::Entry& entry : atom.edits->editList->entries)
      track.edits.push_back({entry.trackDuration, entry.mediaTime, entry.mediaRate});
  if (atom.references)
    for (TrackReferenceTypeAtom& kind : atom.references->kinds) {
      std::vector<std::uint32_t>& ids = track.references[kind.type];
      ids.insert(ids.end(), kind.trackIds.begin(), kind.trackIds.end());
    }
  if (atom.userData) track.userData = std::move(atom.userData->items);
  if (const OSErr err = ReadMedia(atom.media, path, track.media); err != noErr) return err;
  const MediaRecord& media = track.media;
  if (track.edits.empty() && media.Duration() > 0)  // without an edit list a track presents all its media
    track.edits.push_back(
        {std::uint64_t(ConvertTimeScale(std::int64_t(media.Duration()), media.timeScale, track.movie.timeScale)), 0, fixed1});
  return noErr;
}

OSErr MovieFileReader::ReadMedia(MediaAtom& atom, const std::string& path, MediaRecord& media) {
  if (atom.header.timeScale == 0 || atom.header.timeScale > INT32_MAX) return noMovieFound;
  media.timeScale = TimeScale(atom.header.timeScale);
  media.language = atom.header.language;
  media.type = atom.handler.handlerType;
  MediaInformationAtom& info = atom.information;
  if (info.videoHeader) {
    media.graphicsMode = info.videoHeader->graphicsMode;
    media.opColor = info.videoHeader->opColor;
  } else if (info.baseHeader && info.baseHeader->info) {
    media.graphicsMode = info.baseHeader->info->graphicsMode;
    media.opColor = info.baseHeader->info->opColor;
  }
  if (const OSErr err = ReadDataRefs(info, path, media); err != noErr) return err;
  return ReadSampleTable(info.sampleTable, media);
}

OSErr MovieFileReader::ReadDataRefs(const MediaInformationAtom& info, const std::string& path, MediaRecord& media) {
  if (!info.dataInformation) {
    media.dataRefs.push_back(path);
    return noErr;
  }
  for (const DataEntryAtom& entry : info.dataInformation->references.entries) {
    std::string location;
    if (entry.flags & DataEntryAtom::kSelfContained)
      media.dataRefs.push_back(path);
    else if (LocationPath(entry, location))
      media.dataRefs.push_back(location);
    else
      return couldNotResolveDataRef;
  }
  return noErr;
}

OSErr MovieFileReader::ReadSampleTable(SampleTableAtom& table, MediaRecord& media) {
  for (RawAtom& entry : table.descriptions.entries) {
    AtomWriter bytes;
    bytes.Atom(entry);
    media.descriptions.push_back(bytes.Bytes());
  }
  for (std::uint32_t i = 1; i <= media.descriptions.size(); ++i)
    if (media.descriptions[i - 1].size() >= MediaRecord::kDataRefIndexAt + 2 &&
        (media.DataRefOf(i) == 0 || media.DataRefOf(i) > media.dataRefs.size()))
      return badDataRefIndex;

  std::vector<SampleTable::TimeRun> times;
  for (const TimeToSampleAtom::Run& run : table.timeToSample.runs) times.push_back({run.count, run.duration});
  std::vector<SampleTable::OffsetRun> shifts;
  if (table.compositionOffsets)
    for (const CompositionOffsetAtom::Run& run : table.compositionOffsets->runs) shifts.push_back({run.count, run.offset});

  // one entry per chunk, from the runs of 'stsc'
  const std::vector<SampleToChunkAtom::Run>& runs = table.sampleToChunk.runs;
  const std::vector<std::uint64_t> offsets = std::move(table.chunkOffsets.offsets);  // gone once they are chunks
  std::vector<SampleTable::Chunk> chunks;
  chunks.reserve(offsets.size());
  for (std::size_t r = 0; r < runs.size(); ++r) {
    const std::uint64_t first = runs[r].firstChunk;
    const std::uint64_t end = r + 1 < runs.size() ? runs[r + 1].firstChunk : offsets.size() + 1;
    if (first != chunks.size() + 1 || end < first || end > offsets.size() + 1) return invalidSampleTable;
    for (std::uint64_t c = first; c < end; ++c)
      chunks.push_back({offsets[c - 1], runs[r].samplesPerChunk, runs[r].descriptionIndex});
  }
  if (chunks.size() != offsets.size()) return invalidSampleTable;

  std::optional<std::vector<std::uint32_t>> sync;
  if (table.syncSamples) sync = std::move(table.syncSamples->samples);
  SampleSizeAtom& sizes = table.sampleSizes;
  return media.samples.Assign(std::move(times), sizes.constantSize, sizes.sampleCount, std::move(sizes.sizes),
                              std::move(chunks), std::move(shifts), std::move(sync),
                              std::uint32_t(media.descriptions.size()));
}
