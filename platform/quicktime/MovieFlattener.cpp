#include "platform/quicktime/MovieFlattener.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <map>
#include <utility>

#include "platform/helper/PendingFile.h"
#include "platform/quicktime/InterleavedChunks.h"
#include "platform/quicktime/MovieFileReader.h"
#include "platform/quicktime/MovieStorage.h"
#include "platform/quicktime/Movies.h"
#include "platform/quicktime/QtErrors.h"
#include "platform/quicktime/RunGatherer.h"
#include "platform/quicktime/TimeConversion.h"
#include "platform/quicktime/atoms/AtomReader.h"
#include "platform/quicktime/atoms/AtomWriter.h"
#include "platform/quicktime/atoms/FileTypeAtom.h"

namespace {
constexpr OSType kSound = Tag("soun"), kVideo = Tag("vide"), kText = Tag("text");
constexpr std::uint64_t kCopyBlock = 1 << 20;
constexpr std::uint64_t kRunBytes = 16ull << 20;
constexpr std::uint64_t kProgressStep = 64ull << 20;
// Half a second each: weeks of media. More means tables that lie, not a movie.
constexpr std::size_t kMaxChunks = 4u << 20;

// Room for later header rewrites: major brand, minor version, four brands.
FileTypeAtom QuickTimeFileType() {
  return FileTypeAtom{.majorBrand = Tag("qt  "), .minorVersion = 0x20050300, .compatibleBrands = {Tag("qt  "), 0, 0, 0}};
}

std::vector<std::uint8_t> PascalName(const std::string& name) {
  std::vector<std::uint8_t> bytes(name.size() + 1, std::uint8_t(name.size()));
  std::copy(name.begin(), name.end(), bytes.begin() + 1);
  return bytes;
}

const char* HandlerName(OSType type) {
  if (type == kSound) return "SoundHandler";
  if (type == kVideo) return "VideoHandler";
  return "TextHandler";
}

// The display matrix that Apple players need in a text track's 'gmhd'.
RawAtom TextMediaInfo() {
  AtomWriter bytes;
  Matrix matrix = kIdentityMatrix;
  TransferMatrix(bytes, matrix);
  return RawAtom{.type = kText, .payload = bytes.Bytes()};
}

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(Descriptor&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int Get() const { return fd_; }

 private:
  int fd_;
};

int lastSystemError = 0;  // the errno behind the last failed read or write

// A failed write's errno as the toolbox tells it.
OSErr ErrFor(int error) {
  lastSystemError = error;
  if (error == ENOSPC || error == EDQUOT) return dskFulErr;
  if (error == EACCES || error == EPERM || error == EROFS) return wrPermErr;
  return error == ENOENT || error == ENOTDIR || error == EISDIR ? OSErr(fnfErr) : OSErr(ioErr);
}

OSErr WriteErr() { return ErrFor(errno); }

OSErr WriteAll(int fd, const std::uint8_t* bytes, std::uint64_t count, std::uint64_t at) {
  while (count > 0) {
    const ssize_t n = ::pwrite(fd, bytes, count, off_t(at));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return WriteErr();
    bytes += n;
    count -= std::uint64_t(n);
    at += std::uint64_t(n);
  }
  return noErr;
}

// eofErr when the source ends before the bytes do.
OSErr CopyByBuffer(int from, std::uint64_t in, std::uint64_t size, int to, std::uint64_t out) {
  std::vector<std::uint8_t> buffer(std::min(size, kCopyBlock));
  while (size > 0) {
    const ssize_t n = ::pread(from, buffer.data(), std::min<std::uint64_t>(size, buffer.size()), off_t(in));
    if (n < 0 && errno == EINTR) continue;
    if (n == 0) return eofErr;
    if (n < 0) return (lastSystemError = errno), ioErr;
    if (const OSErr err = WriteAll(to, buffer.data(), std::uint64_t(n), out); err != noErr) return err;
    in += std::uint64_t(n);
    out += std::uint64_t(n);
    size -= std::uint64_t(n);
  }
  return noErr;
}

// Lets the kernel move the bytes; falls back to reading and writing where it cannot.
OSErr CopyRun(int from, std::uint64_t in, std::uint64_t size, int to, std::uint64_t out) {
  loff_t inAt = loff_t(in), outAt = loff_t(out);
  while (size > 0) {
    const ssize_t n = ::copy_file_range(from, &inAt, to, &outAt, size, 0);
    if (n > 0) {
      size -= std::uint64_t(n);
      continue;
    }
    // some file systems give 0 before the end; reading says whether the source really ends here
    if (n == 0) return CopyByBuffer(from, std::uint64_t(inAt), size, to, std::uint64_t(outAt));
    if (errno == EINTR) continue;
    if (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP || errno == EBADF)
      return CopyByBuffer(from, std::uint64_t(inAt), size, to, std::uint64_t(outAt));
    return WriteErr();
  }
  return noErr;
}

}  // namespace

MovieFlattener::MovieFlattener(const MovieRecord& movie) : movie_(movie), fileType_(QuickTimeFileType()) {}

OSErr MovieFlattener::WriteTo(const std::string& path, const Progress& progress) {
  why_.clear();
  if (path.empty()) return Failed(paramErr, "no file name was given");
  PlanDescriptions();
  std::uint64_t chunkCount = 0;
  if (const OSErr err = PlanChunks(chunkCount); err != noErr) return err;
  if (chunkCount == 0) return Failed(invalidMovie, "the movie holds no samples");
  PendingFile out;
  if (!out.Open(path)) return Failed(ErrFor(out.LastError()), FileErrorText(out.LastError()));
  lastSystemError = 0;
  OSErr err = WriteHead(out.Handle());
  if (err == noErr) err = CopyChunks(out.Handle(), progress);
  if (err == progressProcAborted) return Failed(err, "stopped by its progress procedure");
  if (err != noErr) return why_.empty() ? Failed(err, lastSystemError ? FileErrorText(lastSystemError) : "") : err;
  if (!out.Commit()) return Failed(ErrFor(out.LastError()), FileErrorText(out.LastError()));
  writtenTo_ = path;
  return noErr;
}

OSErr MovieFlattener::Failed(OSErr err, std::string why) {
  why_ = std::move(why);
  return err;
}

OSErr MovieFlattener::WriteWithProgress(const std::string& path) {
  const auto tell = [this](short message, double fraction) {
    return !movie_.progress || movie_.progress(message, fraction) == noErr ? OSErr(noErr) : OSErr(progressProcAborted);
  };
  OSErr err = tell(movieProgressOpen, 0);
  if (err == noErr) err = WriteTo(path, [&](double done) { return tell(movieProgressUpdatePercent, done); });
  tell(movieProgressClose, 1);  // an opened flatten is always closed; its answer changes nothing
  return err;
}

OSErr MovieFlattener::TakeWritten(MovieRecord& flat) {
  if (writtenTo_.empty()) return paramErr;
  if (const OSErr err = JoinWrittenChunks(); err != noErr) return err;
  return MovieFileReader::FromAtoms(atoms_, std::exchange(writtenTo_, std::string()), flat);
}

OSErr MovieFlattener::JoinWrittenChunks() {
  std::vector<std::vector<SampleTable::Chunk>> joined(plans_.size());
  std::vector<std::uint64_t> ends(plans_.size(), 0);
  std::uint64_t at = firstChunkAt_;
  InterleavedChunks chunks(movie_);
  for (InterleavedChunks::Chunk chunk; chunks.Next(chunk); at += chunk.span.bytes) {
    const std::size_t t = chunk.track;
    const std::uint32_t description = plans_[t].descriptionMap[chunk.span.description - 1];
    std::vector<SampleTable::Chunk>& list = joined[t];
    if (!list.empty() && ends[t] == at && list.back().description == description &&
        list.back().sampleCount <= UINT32_MAX - chunk.span.sampleCount)
      list.back().sampleCount += std::uint32_t(chunk.span.sampleCount);
    else
      list.push_back({at, std::uint32_t(chunk.span.sampleCount), description});
    ends[t] = at + chunk.span.bytes;
  }
  if (chunks.Status() != noErr) return Failed(chunks.Status(), chunks.Why());
  for (std::size_t t = 0; t < plans_.size(); ++t) {
    SampleTableAtom& table = atoms_.tracks[t].media.information.sampleTable;
    table.chunkOffsets.stream = {};
    table.chunkOffsets.offsets.clear();
    table.sampleToChunk.runs.clear();
    for (const SampleTable::Chunk& chunk : joined[t]) {
      auto& runs = table.sampleToChunk.runs;
      table.chunkOffsets.offsets.push_back(chunk.offset);
      if (runs.empty() || runs.back().samplesPerChunk != chunk.sampleCount || runs.back().descriptionIndex != chunk.description)
        runs.push_back({std::uint32_t(table.chunkOffsets.offsets.size()), chunk.sampleCount, chunk.description});
    }
  }
  return noErr;
}

// The 'ftyp', the 'moov' and the 'mdat' header, written in pieces as they are
// made: the sample sizes are not copied on the way.
OSErr MovieFlattener::WriteHead(int out) {
  atoms_ = BuildMovieAtom();
  firstChunkAt_ = PlaceChunks();
  std::uint64_t at = 0;
  AtomWriter head([&](std::span<const std::uint8_t> bytes) {
    const OSErr err = WriteAll(out, bytes.data(), bytes.size(), at);
    at += bytes.size();
    return err;
  });
  head.Atom(fileType_);
  head.Atom(atoms_);
  head.PutHeader(Tag("mdat"), AtomSize(mdatPayload_));
  head.Flush();
  if (head.Status() != noErr) return head.Status();
  return head.Position() == firstChunkAt_ ? OSErr(noErr) : OSErr(internalQuickTimeError);
}

void MovieFlattener::PlanDescriptions() {
  plans_.clear();
  for (const auto& track : movie_.tracks) {
    TrackPlan& plan = plans_.emplace_back();
    // one description for each that differs once all data lies in the one file
    for (std::vector<std::uint8_t> bytes : track->media.descriptions) {
      if (bytes.size() >= MediaRecord::kDataRefIndexAt + 2) {
        bytes[MediaRecord::kDataRefIndexAt] = 0;
        bytes[MediaRecord::kDataRefIndexAt + 1] = 1;
      }
      const auto found = std::find(plan.descriptions.begin(), plan.descriptions.end(), bytes);
      plan.descriptionMap.push_back(std::uint32_t(found - plan.descriptions.begin() + 1));
      if (found == plan.descriptions.end()) plan.descriptions.push_back(std::move(bytes));
    }
  }
}

OSErr MovieFlattener::PlanChunks(std::uint64_t& chunkCount) {
  mdatPayload_ = 0;
  InterleavedChunks chunks(movie_);
  for (InterleavedChunks::Chunk chunk; chunks.Next(chunk);) {
    if (++chunkCount > kMaxChunks) return Failed(memFullErr, "the movie has more samples than any file can hold");
    TrackPlan& plan = plans_[chunk.track];
    const std::uint32_t samples = std::uint32_t(chunk.span.sampleCount);  // within one source chunk
    const std::uint32_t description = plan.descriptionMap[chunk.span.description - 1];
    auto& runs = plan.toChunk;
    ++plan.chunkCount;
    if (runs.empty() || runs.back().samplesPerChunk != samples || runs.back().descriptionIndex != description)
      runs.push_back({std::uint32_t(plan.chunkCount), samples, description});
    plan.lastChunkAt = mdatPayload_;
    mdatPayload_ += chunk.span.bytes;
  }
  return chunks.Status() == noErr ? OSErr(noErr) : Failed(chunks.Status(), chunks.Why());
}

MovieAtom MovieFlattener::BuildMovieAtom() {
  MovieAtom atoms;
  atoms.header.created = movie_.created;
  atoms.header.modified = movie_.modified;
  atoms.header.timeScale = std::uint32_t(movie_.timeScale);
  atoms.header.duration = movie_.Duration();
  atoms.header.matrix = movie_.matrix;
  atoms.header.nextTrackId = movie_.nextTrackId;
  for (std::size_t t = 0; t < movie_.tracks.size(); ++t) atoms.tracks.push_back(BuildTrackAtom(t));
  if (!movie_.userData.empty()) atoms.userData.emplace().items = movie_.userData;
  return atoms;
}

TrackAtom MovieFlattener::BuildTrackAtom(std::size_t index) {
  const TrackRecord& track = *movie_.tracks[index];
  TrackAtom atom;
  TrackHeaderAtom& header = atom.header;
  header.flags = TrackHeaderAtom::kInMovie | TrackHeaderAtom::kInPreview | (track.enabled ? TrackHeaderAtom::kEnabled : 0);
  header.created = movie_.created;
  header.modified = movie_.modified;
  header.trackId = track.id;
  header.duration = track.Duration();
  header.layer = track.layer;
  header.alternateGroup = track.alternateGroup;
  header.volume = track.volume;
  header.matrix = track.matrix;
  header.width = std::uint32_t(track.width);
  header.height = std::uint32_t(track.height);
  if (!track.edits.empty()) {
    EditListAtom& list = atom.edits.emplace().editList.emplace();
    for (const TrackRecord::Edit& edit : track.edits)
      list.entries.push_back({edit.trackDuration, edit.mediaTime, edit.rate});
  }
  for (const auto& [kind, ids] : track.references) {
    TrackReferenceTypeAtom reference;
    reference.type = kind;
    for (std::uint32_t id : ids)
      if (movie_.TrackById(id)) reference.trackIds.push_back(id);
    if (!reference.trackIds.empty()) {
      if (!atom.references) atom.references.emplace();
      atom.references->kinds.push_back(std::move(reference));
    }
  }
  if (!track.userData.empty()) atom.userData.emplace().items = track.userData;

  const MediaRecord& media = track.media;
  MediaAtom& mdia = atom.media;
  mdia.header.created = movie_.created;
  mdia.header.modified = movie_.modified;
  mdia.header.timeScale = std::uint32_t(media.timeScale);
  mdia.header.duration = media.Duration();
  mdia.header.language = media.language;
  mdia.handler = HandlerAtom{.componentType = Tag("mhlr"), .handlerType = media.type, .name = PascalName(HandlerName(media.type))};
  MediaInformationAtom& info = mdia.information;
  if (media.type == kSound) {
    info.soundHeader.emplace();
  } else if (media.type == kVideo) {
    info.videoHeader.emplace(VideoMediaHeaderAtom{.graphicsMode = media.graphicsMode, .opColor = media.opColor});
  } else {
    BaseMediaInfoHeaderAtom& base = info.baseHeader.emplace();
    base.info.emplace(BaseMediaInfoAtom{.graphicsMode = media.graphicsMode, .opColor = media.opColor});
    if (media.type == kText) base.others.push_back(TextMediaInfo());
  }
  info.dataHandler = HandlerAtom{.componentType = Tag("dhlr"), .handlerType = Tag("url "), .name = PascalName("DataHandler")};
  info.dataInformation.emplace().references.entries.push_back(DataEntryAtom{});
  FillSampleTable(index, info.sampleTable);
  return atom;
}

void MovieFlattener::FillSampleTable(std::size_t index, SampleTableAtom& table) {
  const MediaRecord& media = movie_.tracks[index]->media;
  TrackPlan& plan = plans_[index];
  for (std::vector<std::uint8_t>& bytes : plan.descriptions) {
    AtomReader reader(bytes);
    RawAtom& entry = table.descriptions.entries.emplace_back();
    AtomHeader header;
    if (reader.ReadHeader(header)) {
      entry.type = header.type;
      reader.Rest("payload", entry.payload);
    }
  }
  const SampleTable& samples = media.samples;
  for (const SampleTable::TimeRun& run : samples.TimeRuns()) table.timeToSample.runs.push_back({run.count, run.duration});
  if (!samples.CompositionOffsets().empty()) {
    CompositionOffsetAtom& shifts = table.compositionOffsets.emplace();
    for (const SampleTable::OffsetRun& run : samples.CompositionOffsets()) shifts.runs.push_back({run.count, run.offset});
  }
  table.sampleToChunk.runs = std::move(plan.toChunk);
  table.sampleSizes.constantSize = samples.Sizes().empty() ? samples.ConstantSize() : 0;
  table.sampleSizes.sampleCount = std::uint32_t(samples.SampleCount());
  table.sampleSizes.sizes = samples.Sizes();
  table.chunkOffsets.stream.count = plan.chunkCount;
  table.chunkOffsets.stream.produce = [this, index](const EntryStream::Put& put) { return OffsetsOf(index, put); };
  if (samples.SyncSamples()) table.syncSamples.emplace().samples = *samples.SyncSamples();
}

OSErr MovieFlattener::OffsetsOf(std::size_t track, const EntryStream::Put& put) {
  std::uint64_t at = firstChunkAt_;
  InterleavedChunks chunks(movie_);
  for (InterleavedChunks::Chunk chunk; chunks.Next(chunk); at += chunk.span.bytes)
    if (chunk.track == track) put(at);
  return chunks.Status() == noErr ? OSErr(noErr) : Failed(chunks.Status(), chunks.Why());
}

const std::string& MovieFlattener::SourceOf(std::size_t track, std::uint32_t description) const {
  static const std::string nowhere;
  const MediaRecord& media = movie_.tracks[track]->media;
  const std::uint16_t ref = media.DataRefOf(description);
  return ref > 0 && ref <= media.dataRefs.size() ? media.dataRefs[ref - 1] : nowhere;
}

// Where the first chunk starts, once every chunk has its place.
std::uint64_t MovieFlattener::PlaceChunks() {
  const std::uint64_t before = MeasuredSize(fileType_), mdatHeader = AtomSize(mdatPayload_) - mdatPayload_;
  // Offsets depend on the size of 'moov', which grows when a table needs
  // 64-bit offsets; each pass can only widen, so this settles.
  for (std::uint64_t moovSize = MeasuredSize(atoms_);;) {
    const std::uint64_t first = before + moovSize + mdatHeader;
    for (std::size_t t = 0; t < plans_.size(); ++t)
      atoms_.tracks[t].media.information.sampleTable.chunkOffsets.stream.largest =
          plans_[t].chunkCount > 0 ? first + plans_[t].lastChunkAt : 0;
    const std::uint64_t measured = MeasuredSize(atoms_);
    if (measured == moovSize) return first;
    moovSize = measured;
  }
}

// Chunks that lie back to back in one source move as one run, handed to the
// kernel; each run is sent on to the disk at once, so that the closing fsync
// waits only for the last and dirty pages never pile up to slow the copy.
OSErr MovieFlattener::CopyChunks(int out, const Progress& progress) {
  std::map<std::string, Descriptor> sources;
  std::uint64_t at = firstChunkAt_, sent = at, done = 0, reported = 0;
  RunGatherer gatherer([out](const std::uint8_t* bytes, std::uint64_t count, std::uint64_t to) {
    return WriteAll(out, bytes, count, to);
  });
  const auto copyLarge = [&](int from, std::uint64_t in, std::uint64_t size, std::uint64_t to) {
    const OSErr err = gatherer.Flush();
    return err != noErr ? err : CopyRun(from, in, size, out, to);
  };
  InterleavedChunks chunks(movie_);
  InterleavedChunks::Chunk chunk;
  for (bool more = chunks.Next(chunk); more;) {
    const std::string& file = SourceOf(chunk.track, chunk.span.description);
    const std::uint64_t from = chunk.span.offset;
    std::uint64_t bytes = chunk.span.bytes;
    while ((more = chunks.Next(chunk)) && bytes < kRunBytes) {
      if (chunk.span.offset != from + bytes || SourceOf(chunk.track, chunk.span.description) != file) break;
      bytes += chunk.span.bytes;
    }
    if (chunks.Status() != noErr) return Failed(chunks.Status(), chunks.Why());
    auto source = sources.find(file);
    if (source == sources.end()) {
      Descriptor fd(MovieStorage::OpenForReading(file));
      if (fd.Get() < 0)
        return Failed(couldNotResolveDataRef, "source file \"" + file + "\" cannot be opened: " + FileErrorText(errno));
      source = sources.emplace(file, std::move(fd)).first;
    }
    const int in = source->second.Get();
    const OSErr err = bytes < RunGatherer::kSmallRun ? gatherer.Add(in, from, bytes, at) : copyLarge(in, from, bytes, at);
    if (err == eofErr) return Failed(err, "source file \"" + file + "\" is shorter than its sample table says");
    if (err != noErr) return err;
    at += bytes;
    if (!more)
      if (const OSErr err = gatherer.Flush(); err != noErr) return err;
    if (at - sent >= kRunBytes || !more) {  // runs of single frames are too small to send alone
      ::sync_file_range(out, off64_t(sent), off64_t(at - sent), SYNC_FILE_RANGE_WRITE);  // a hint; fsync reports failures
      sent = at;
    }
    done += bytes;
    if (progress && (done - reported >= kProgressStep || !more)) {
      reported = done;
      if (const OSErr err = progress(mdatPayload_ ? double(done) / double(mdatPayload_) : 1.0); err != noErr) return err;
    }
  }
  return chunks.Status() == noErr ? OSErr(noErr) : Failed(chunks.Status(), chunks.Why());
}
