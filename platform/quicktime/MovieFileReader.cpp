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

// A media's sample table as its atoms hold it, before it is checked whole.
struct TablePieces {
  std::vector<SampleTable::TimeRun> times;
  std::uint32_t constantSize = 0;
  std::uint64_t sizeCount = 0;
  SizeList sizes;
  std::vector<SampleTable::Chunk> chunks;
  std::vector<SampleTable::OffsetRun> shifts;
  std::optional<std::vector<std::uint32_t>> sync;
};

// One entry per chunk, from the runs of 'stsc'; runs that name chunks
// 'stco' does not hold are cut to those it holds.
OSErr ChunksOf(SampleTableAtom& table, std::vector<SampleTable::Chunk>& chunks, std::vector<std::string>& repairs) {
  const std::vector<SampleToChunkAtom::Run>& runs = table.sampleToChunk.runs;
  const std::vector<std::uint64_t> offsets = std::move(table.chunkOffsets.offsets);  // gone once they are chunks
  chunks.reserve(offsets.size());
  for (std::size_t r = 0; r < runs.size(); ++r) {
    const std::uint64_t first = runs[r].firstChunk;
    if (first > offsets.size() && !chunks.empty()) {
      repairs.push_back("'stsc' names chunks past the " + std::to_string(offsets.size()) + " there are; cut to them");
      break;
    }
    const std::uint64_t next = r + 1 < runs.size() ? runs[r + 1].firstChunk : offsets.size() + 1;
    const std::uint64_t end = std::min<std::uint64_t>(next, offsets.size() + 1);
    if (first != chunks.size() + 1 || end < first) return invalidSampleTable;
    for (std::uint64_t c = first; c < end; ++c)
      chunks.push_back({offsets[c - 1], runs[r].samplesPerChunk, runs[r].descriptionIndex});
  }
  if (chunks.size() != offsets.size()) return invalidSampleTable;
  return noErr;
}

std::uint64_t ChunkedCount(const std::vector<SampleTable::Chunk>& chunks) {
  std::uint64_t count = 0;
  for (const SampleTable::Chunk& chunk : chunks) count += chunk.sampleCount;
  return count;
}

// Runs of samples cut to the first `count`: the run that reaches it is
// shortened and later runs dropped. Returns the samples the runs lack.
template <class Run>
std::uint64_t CutRuns(std::vector<Run>& runs, std::uint32_t Run::*samples, std::uint64_t count) {
  for (std::size_t i = 0; i < runs.size(); ++i) {
    if (runs[i].*samples >= count) {
      runs[i].*samples = std::uint32_t(count);
      runs.resize(count == 0 ? i : i + 1);
      return 0;
    }
    count -= runs[i].*samples;
  }
  return count;
}

// Every piece cut to the first `count` samples.
void CutTo(TablePieces& pieces, std::uint64_t count) {
  CutRuns(pieces.times, &SampleTable::TimeRun::count, count);
  if (pieces.constantSize == 0) pieces.sizes.Truncate(count);
  CutRuns(pieces.chunks, &SampleTable::Chunk::sampleCount, count);
  if (pieces.sync) std::erase_if(*pieces.sync, [&](std::uint32_t s) { return s > count; });
  pieces.sizeCount = count;
}

// Composition offsets for exactly the samples there are: cut, or filled up
// with samples shown in order.
void FitShifts(TablePieces& pieces) {
  if (pieces.shifts.empty()) return;
  const std::uint64_t left = CutRuns(pieces.shifts, &SampleTable::OffsetRun::count, pieces.sizeCount);
  if (left > 0 && left <= UINT32_MAX) pieces.shifts.push_back({std::uint32_t(left), 0});
}

// The times, the sizes and the chunks must count the same samples; where they
// disagree the samples all of them hold are read. A constant size's count
// past 2^32 is only its low 32 bits: the field cannot hold more.
void AgreeOnCount(TablePieces& pieces, std::vector<std::string>& repairs) {
  std::uint64_t timed = 0;
  for (const SampleTable::TimeRun& run : pieces.times) timed += run.count;
  const std::uint64_t chunked = ChunkedCount(pieces.chunks);
  std::uint64_t sized = pieces.constantSize != 0 ? pieces.sizeCount : pieces.sizes.size();
  if (pieces.constantSize != 0 && timed == chunked && (chunked & UINT32_MAX) == sized) sized = chunked;
  const std::uint64_t count = std::min({timed, sized, chunked});
  if (timed != count || sized != count || chunked != count)
    repairs.push_back("the sample table counts " + std::to_string(timed) + " samples in 'stts', " +
                      std::to_string(sized) + " in 'stsz' and " + std::to_string(chunked) +
                      " in its chunks; the " + std::to_string(count) + " all of them hold are read");
  CutTo(pieces, count);
  FitShifts(pieces);
}

bool LiesIn(const MediaRecord& media, std::uint32_t description, const std::string& path) {
  const std::uint16_t ref = media.DataRefOf(description);
  return ref == 0 || ref > media.dataRefs.size() || media.dataRefs[ref - 1] == path;
}

// The samples before the first one whose bytes run past the end of `size`.
std::uint64_t SamplesWithin(const TablePieces& pieces, const MediaRecord& media, const std::string& path,
                            std::uint64_t size) {
  std::uint64_t sample = 0;
  SizeList::Reader sizes(pieces.sizes);
  for (const SampleTable::Chunk& chunk : pieces.chunks) {
    if (!LiesIn(media, chunk.description, path)) {
      std::uint64_t skipped = 0;
      if (pieces.constantSize == 0 && !sizes.Sum(chunk.sampleCount, skipped)) return sample;
      sample += chunk.sampleCount;
      continue;
    }
    if (chunk.offset > size) return sample;
    const std::uint64_t room = size - chunk.offset;
    if (pieces.constantSize != 0) {
      const std::uint64_t fit = room / pieces.constantSize;
      if (fit < chunk.sampleCount) return sample + fit;
      sample += chunk.sampleCount;
      continue;
    }
    std::uint64_t used = 0;
    for (std::uint32_t i = 0; i < chunk.sampleCount; ++i, ++sample) {
      std::uint32_t size = 0;
      if (!sizes.Next(size) || (used += size) > room) return sample;
    }
  }
  return sample;
}

// A file a little short keeps the samples that are whole in it. One that
// lacks more is a source cut short, which a copy refuses in words: a tool
// that cut half a book without a word would lose it silently.
void KeepWithinFile(TablePieces& pieces, const MediaRecord& media, const std::string& path, std::uint64_t size,
                    std::vector<std::string>& repairs) {
  if (size == MovieFileReader::kWholeFile) return;
  const std::uint64_t within = SamplesWithin(pieces, media, path, size);
  if (within == pieces.sizeCount || SamplesWithin(pieces, media, path, size + AtomReader::kMaxOverrun) < pieces.sizeCount)
    return;
  repairs.push_back("the last " + std::to_string(pieces.sizeCount - within) + " of " +
                    std::to_string(pieces.sizeCount) + " samples lie past the end of the file and are left out");
  CutTo(pieces, within);
  FitShifts(pieces);
}

// Edits that would show media a repair has taken away end where it ends.
void CutEditsToMedia(TrackRecord& track) {
  const std::int64_t media = std::int64_t(track.media.Duration());
  std::erase_if(track.edits, [&](const TrackRecord::Edit& edit) { return edit.mediaTime >= media; });
  for (TrackRecord::Edit& edit : track.edits) {
    if (edit.mediaTime < 0) continue;
    const std::int64_t room = ConvertTimeScale(media - edit.mediaTime, track.media.timeScale, track.movie.timeScale);
    edit.trackDuration = std::min(edit.trackDuration, std::uint64_t(std::max<std::int64_t>(room, 0)));
  }
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
  std::vector<std::string> repairs;
  if (const OSErr err = ReadMovieAtom(fd, FileOrigin::Of(path, info), atoms, repairs); err != noErr) return err;
  movie.repairs = std::move(repairs);
  return FromAtoms(atoms, path, movie, std::uint64_t(info.st_size));
}

// The bytes read are gone once parsed, unless the sample sizes that fill
// most of them stay in them: a long book's tables are held once.
OSErr MovieFileReader::ReadMovieAtom(int fd, std::shared_ptr<const FileOrigin> origin, MovieAtom& atoms,
                                     std::vector<std::string>& repairs) {
  auto bytes = std::make_shared<std::vector<std::uint8_t>>();
  std::uint64_t at = 0;
  if (const OSErr err = FindMovieAtom(fd, *bytes, &repairs, &at); err != noErr) return err;
  AtomReader reader(std::move(bytes), std::move(origin), at);
  reader.Tolerate(&repairs);
  reader.Atom(atoms);
  return reader.Status();
}

// Walks the top-level atoms to the end, so that a damaged one after the
// movie atom is noticed too; the movie atom's bytes are read at the end.
OSErr MovieFileReader::FindMovieAtom(int fd, std::vector<std::uint8_t>& bytes, std::vector<std::string>* repairs,
                                     std::uint64_t* movieAtomAt) {
  struct stat info;
  if (::fstat(fd, &info) != 0) return ioErr;
  const std::uint64_t fileSize = std::uint64_t(info.st_size);
  std::optional<std::uint64_t> movieAt, movieSize;
  for (std::uint64_t at = 0; at < fileSize;) {
    std::uint8_t head[16] = {};
    const std::size_t headBytes = std::size_t(std::min<std::uint64_t>(16, fileSize - at));
    if (headBytes < 8 || !ReadAt(fd, at, head, headBytes)) break;
    std::uint64_t size = BigAt(head, 4), headerBytes = 8;
    const OSType type = OSType(BigAt(head + 4, 4));
    if (size == 1) {
      if (headBytes < 16) break;
      size = BigAt(head + 8, 8);
      headerBytes = 16;
    } else if (size == 0) {
      size = fileSize - at;  // runs to the end of the file
    }
    for (OSType fragment : kFragmentTypes)
      if (type == fragment) return noMovieFound;
    if (size < headerBytes) break;
    if (size > fileSize - at) {  // a file cut short: its media is read as far as it goes, its movie atom nearly whole
      const std::uint64_t over = size - (fileSize - at);
      if (!repairs || (type == MovieAtom::kType && over > AtomReader::kMaxOverrun)) break;
      if (type != MovieAtom::kType && over <= AtomReader::kMaxOverrun)  // the movie atom's own reader says it
        repairs->push_back(AtomReader::Name(type) + " runs " + std::to_string(over) + " bytes past the end of the file");
      size = fileSize - at;
    }
    if (type == MovieAtom::kType && !movieAt) {
      movieAt = at;
      movieSize = size;
    }
    at += size;
  }
  if (!movieAt) return noMovieFound;
  if (*movieSize > kMaxMovieAtom) return memFullErr;
  if (movieAtomAt) *movieAtomAt = *movieAt;
  bytes.resize(std::size_t(*movieSize));
  return ReadAt(fd, *movieAt, bytes.data(), bytes.size()) ? noErr : ioErr;
}

OSErr MovieFileReader::FromAtoms(MovieAtom& atoms, const std::string& path, MovieRecord& movie,
                                 std::uint64_t fileSize) {
  for (const RawAtom& other : atoms.others)
    for (OSType fragment : kFragmentTypes)
      if (other.type == fragment) return noMovieFound;
  if (atoms.header.timeScale == 0 || atoms.header.timeScale > INT32_MAX) return noMovieFound;
  movie.timeScale = TimeScale(atoms.header.timeScale);
  movie.matrix = atoms.header.matrix;
  movie.created = atoms.header.created;
  movie.modified = atoms.header.modified;
  if (atoms.userData) movie.userData = std::move(atoms.userData->items);
  if (atoms.tracks.empty() && !movie.repairs.empty()) return noMovieFound;  // whatever it held is lost
  const Source file{path, fileSize, movie.repairs};
  for (TrackAtom& trackAtom : atoms.tracks) {
    TrackRecord& track = movie.AddTrack();
    if (const OSErr err = ReadTrack(trackAtom, file, track); err != noErr) return err;
  }
  std::uint32_t highest = 0;
  for (const auto& track : movie.tracks) highest = std::max(highest, track->id);
  movie.nextTrackId = std::max(atoms.header.nextTrackId, highest + 1);
  return noErr;
}

OSErr MovieFileReader::ReadTrack(TrackAtom& atom, const Source& file, TrackRecord& track) {
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
  const std::size_t repairsBefore = file.repairs.size();
  if (const OSErr err = ReadMedia(atom.media, file, track.media); err != noErr) return err;
  const MediaRecord& media = track.media;
  if (track.edits.empty() && media.Duration() > 0)  // without an edit list a track presents all its media
    track.edits.push_back(
        {std::uint64_t(ConvertTimeScale(std::int64_t(media.Duration()), media.timeScale, track.movie.timeScale)), 0, fixed1});
  else if (file.repairs.size() > repairsBefore)
    CutEditsToMedia(track);
  return noErr;
}

OSErr MovieFileReader::ReadMedia(MediaAtom& atom, const Source& file, MediaRecord& media) {
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
  if (const OSErr err = ReadDataRefs(info, file.path, media); err != noErr) return err;
  return ReadSampleTable(info.sampleTable, file, media);
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

OSErr MovieFileReader::ReadSampleTable(SampleTableAtom& table, const Source& file, MediaRecord& media) {
  for (RawAtom& entry : table.descriptions.entries) {
    AtomWriter bytes;
    bytes.Atom(entry);
    media.descriptions.push_back(bytes.Bytes());
  }
  for (std::uint32_t i = 1; i <= media.descriptions.size(); ++i)
    if (media.descriptions[i - 1].size() >= MediaRecord::kDataRefIndexAt + 2 &&
        (media.DataRefOf(i) == 0 || media.DataRefOf(i) > media.dataRefs.size()))
      return badDataRefIndex;

  TablePieces pieces;
  for (const TimeToSampleAtom::Run& run : table.timeToSample.runs) pieces.times.push_back({run.count, run.duration});
  if (table.compositionOffsets)
    for (const CompositionOffsetAtom::Run& run : table.compositionOffsets->runs)
      pieces.shifts.push_back({run.count, run.offset});
  if (const OSErr err = ChunksOf(table, pieces.chunks, file.repairs); err != noErr) return err;
  if (table.syncSamples) pieces.sync = std::move(table.syncSamples->samples);
  SampleSizeAtom& sizes = table.sampleSizes;
  pieces.constantSize = sizes.constantSize;
  pieces.sizeCount = sizes.sampleCount;
  pieces.sizes = std::move(sizes.sizes);
  AgreeOnCount(pieces, file.repairs);
  KeepWithinFile(pieces, media, file.path, file.size, file.repairs);
  return media.samples.Assign(std::move(pieces.times), pieces.constantSize, pieces.sizeCount, std::move(pieces.sizes),
                              std::move(pieces.chunks), std::move(pieces.shifts), std::move(pieces.sync),
                              std::uint32_t(media.descriptions.size()));
}
