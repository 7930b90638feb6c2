#include "platform/quicktime/MovieFlattener.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <map>

#include "platform/quicktime/Movies.h"
#include "platform/quicktime/QtErrors.h"
#include "platform/quicktime/TimeConversion.h"
#include "platform/quicktime/atoms/AtomReader.h"
#include "platform/quicktime/atoms/AtomWriter.h"
#include "platform/quicktime/atoms/FileTypeAtom.h"

namespace {
constexpr OSType kSound = Tag("soun"), kVideo = Tag("vide"), kText = Tag("text");
constexpr std::uint64_t kCopyBlock = 1 << 20;
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

OSErr WriteErr() { return errno == ENOSPC || errno == EDQUOT ? dskFulErr : ioErr; }

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

OSErr CopyByBuffer(int from, std::uint64_t in, std::uint64_t size, int to, std::uint64_t out) {
  std::vector<std::uint8_t> buffer(std::min(size, kCopyBlock));
  while (size > 0) {
    const ssize_t n = ::pread(from, buffer.data(), std::min<std::uint64_t>(size, buffer.size()), off_t(in));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return ioErr;  // the source is shorter than its sample table says
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
    if (n == 0) return ioErr;
    if (errno == EINTR) continue;
    if (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP || errno == EBADF)
      return CopyByBuffer(from, std::uint64_t(inAt), size, to, std::uint64_t(outAt));
    return WriteErr();
  }
  return noErr;
}

std::string TempNameBeside(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + ".tolva-flatten-XXXXXX";
}
}  // namespace

MovieFlattener::MovieFlattener(const MovieRecord& movie) : movie_(movie), fileType_(QuickTimeFileType()) {}

OSErr MovieFlattener::WriteTo(const std::string& path, const Progress& progress) {
  if (path.empty()) return paramErr;
  if (!PlanChunks()) return memFullErr;
  Interleave();
  std::string temp = TempNameBeside(path);
  Descriptor out(::mkstemp(temp.data()));
  if (out.Get() < 0) return errno == ENOENT || errno == ENOTDIR ? OSErr(fnfErr) : WriteErr();
  const mode_t mask = ::umask(0);
  ::umask(mask);
  OSErr err = ::fchmod(out.Get(), 0666 & ~mask) == 0 ? noErr : ioErr;
  if (err == noErr) err = WriteHead(out.Get());
  if (err == noErr) err = CopyChunks(out.Get(), progress);
  if (err == noErr && ::fsync(out.Get()) != 0) err = WriteErr();
  if (err == noErr && ::rename(temp.c_str(), path.c_str()) != 0) err = OSErr(errno == EISDIR ? fnfErr : ioErr);
  if (err != noErr) ::unlink(temp.c_str());
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

// The 'ftyp', the 'moov' and the 'mdat' header; the tables they were built
// from are gone before the copying starts.
OSErr MovieFlattener::WriteHead(int out) {
  MovieAtom atoms = BuildMovieAtom();
  const std::uint64_t mdatStart = PlaceChunks(atoms);
  AtomWriter head;
  head.Atom(fileType_);
  head.Atom(atoms);
  head.PutHeader(Tag("mdat"), AtomSize(mdatPayload_));
  if (head.Status() != noErr) return head.Status();
  if (head.Position() != mdatStart) return internalQuickTimeError;
  return WriteAll(out, head.Bytes().data(), head.Position(), 0);
}

bool MovieFlattener::PlanChunks() {
  std::size_t planned = 0;
  for (const auto& track : movie_.tracks) {
    const MediaRecord& media = track->media;
    TrackPlan& plan = plans_.emplace_back();
    // one description for each that differs once all data lies in the one file
    for (std::vector<std::uint8_t> bytes : media.descriptions) {
      if (bytes.size() >= MediaRecord::kDataRefIndexAt + 2) {
        bytes[MediaRecord::kDataRefIndexAt] = 0;
        bytes[MediaRecord::kDataRefIndexAt + 1] = 1;
      }
      const auto found = std::find(plan.descriptions.begin(), plan.descriptions.end(), bytes);
      plan.descriptionMap.push_back(std::uint32_t(found - plan.descriptions.begin() + 1));
      if (found == plan.descriptions.end()) plan.descriptions.push_back(std::move(bytes));
    }
    media.samples.ForEachSpan(std::uint64_t(media.timeScale) / 2, [&](const SampleTable::Span& span) {
      plan.spans.push_back(span);
      return ++planned <= kMaxChunks;
    });
  }
  return planned <= kMaxChunks;
}

void MovieFlattener::Interleave() {
  struct Slot {
    std::size_t track, span;
    std::uint64_t start;
  };
  std::vector<Slot> order;
  for (std::size_t t = 0; t < plans_.size(); ++t) {
    std::uint64_t start = 0;
    for (std::size_t s = 0; s < plans_[t].spans.size(); ++s) {
      order.push_back({t, s, start});
      start += plans_[t].spans[s].duration;
    }
  }
  using Wide = unsigned __int128;
  const auto scale = [&](std::size_t t) { return Wide(movie_.tracks[t]->media.timeScale); };
  std::stable_sort(order.begin(), order.end(), [&](const Slot& a, const Slot& b) {
    return a.start * scale(b.track) < b.start * scale(a.track);
  });
  for (const Slot& slot : order) {
    const SampleTable::Span& span = plans_[slot.track].spans[slot.span];
    const MediaRecord& media = movie_.tracks[slot.track]->media;
    const std::uint16_t ref = media.DataRefOf(span.description);
    const std::string file = ref > 0 && ref <= media.dataRefs.size() ? media.dataRefs[ref - 1] : std::string();
    chunks_.push_back({slot.track, file, span.offset, span.bytes, 0});
    mdatPayload_ += span.bytes;
  }
}

MovieAtom MovieFlattener::BuildMovieAtom() {
  MovieAtom atoms;
  atoms.header.created = movie_.created;
  atoms.header.modified = movie_.modified;
  atoms.header.timeScale = std::uint32_t(movie_.timeScale);
  atoms.header.duration = movie_.Duration();
  atoms.header.matrix = movie_.matrix;
  atoms.header.nextTrackId = movie_.nextTrackId;
  for (std::size_t t = 0; t < movie_.tracks.size(); ++t)
    atoms.tracks.push_back(BuildTrackAtom(*movie_.tracks[t], plans_[t]));
  if (!movie_.userData.empty()) atoms.userData.emplace().items = movie_.userData;
  return atoms;
}

TrackAtom MovieFlattener::BuildTrackAtom(const TrackRecord& track, TrackPlan& plan) {
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
  FillSampleTable(media, plan, info.sampleTable);
  return atom;
}

void MovieFlattener::FillSampleTable(const MediaRecord& media, TrackPlan& plan, SampleTableAtom& table) {
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
  for (std::size_t c = 0; c < plan.spans.size(); ++c) {
    const SampleTable::Span& span = plan.spans[c];
    const std::uint32_t description = plan.descriptionMap[span.description - 1];
    auto& runs = table.sampleToChunk.runs;
    if (runs.empty() || runs.back().samplesPerChunk != span.sampleCount || runs.back().descriptionIndex != description)
      runs.push_back({std::uint32_t(c + 1), std::uint32_t(span.sampleCount), description});
  }
  table.sampleSizes.constantSize = samples.Sizes().empty() ? samples.ConstantSize() : 0;
  table.sampleSizes.sampleCount = std::uint32_t(samples.SampleCount());
  table.sampleSizes.sizes = samples.Sizes();
  table.chunkOffsets.offsets.assign(plan.spans.size(), 0);
  if (samples.SyncSamples()) table.syncSamples.emplace().samples = *samples.SyncSamples();
}

std::uint64_t MovieFlattener::PlaceChunks(MovieAtom& atoms) {
  const std::uint64_t before = MeasuredSize(fileType_), mdatHeader = AtomSize(mdatPayload_) - mdatPayload_;
  // Offsets depend on the size of 'moov', which grows when a table needs
  // 64-bit offsets; each pass can only widen, so this settles.
  for (std::uint64_t moovSize = MeasuredSize(atoms);;) {
    std::uint64_t at = before + moovSize + mdatHeader;
    std::vector<std::size_t> next(atoms.tracks.size(), 0);
    for (Chunk& chunk : chunks_) {
      chunk.outputOffset = at;
      atoms.tracks[chunk.track].media.information.sampleTable.chunkOffsets.offsets[next[chunk.track]++] = at;
      at += chunk.bytes;
    }
    const std::uint64_t measured = MeasuredSize(atoms);
    if (measured == moovSize) return before + moovSize + mdatHeader;
    moovSize = measured;
  }
}

OSErr MovieFlattener::CopyChunks(int out, const Progress& progress) {
  std::map<std::string, Descriptor> sources;
  std::uint64_t done = 0, reported = 0;
  for (std::size_t i = 0; i < chunks_.size();) {
    // consecutive chunks that lie back to back in one source move as one run
    std::size_t end = i + 1;
    std::uint64_t bytes = chunks_[i].bytes;
    while (end < chunks_.size() && chunks_[end].file == chunks_[i].file &&
           chunks_[end].sourceOffset == chunks_[i].sourceOffset + bytes && bytes < kProgressStep)
      bytes += chunks_[end++].bytes;
    auto source = sources.find(chunks_[i].file);
    if (source == sources.end()) {
      Descriptor fd(::open(chunks_[i].file.c_str(), O_RDONLY | O_CLOEXEC));
      if (fd.Get() < 0) return couldNotResolveDataRef;
      source = sources.emplace(chunks_[i].file, std::move(fd)).first;
    }
    if (const OSErr err = CopyRun(source->second.Get(), chunks_[i].sourceOffset, bytes, out, chunks_[i].outputOffset);
        err != noErr)
      return err;
    done += bytes;
    i = end;
    if (progress && (done - reported >= kProgressStep || i == chunks_.size())) {
      reported = done;
      if (const OSErr err = progress(mdatPayload_ ? double(done) / double(mdatPayload_) : 1.0); err != noErr) return err;
    }
  }
  return noErr;
}
