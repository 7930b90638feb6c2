#include "formats/ChapterSources.h"

#include <algorithm>
#include <limits>

#include "platform/quicktime/atoms/AtomReader.h"

namespace {
constexpr std::uint64_t kMaxMovieAtom = std::uint64_t(1) << 30;
// A text sample is a 16-bit length, the text and a few small boxes.
constexpr std::size_t kMaxTextSampleBytes = 2 + 65535 + 4096;
constexpr std::uint64_t kMaxTextBytesInAll = std::uint64_t(64) << 20;

struct SampleTables {
  struct TimeRun {
    std::uint32_t count = 0, delta = 0;
  };
  struct ChunkRun {
    std::uint32_t firstChunk = 0, perChunk = 0, description = 0;
  };
  std::uint32_t fixedSize = 0;
  std::uint32_t sizeCount = 0;
  std::vector<std::uint32_t> sizes;
  std::vector<TimeRun> times;
  std::vector<ChunkRun> chunks;
  std::vector<std::uint64_t> chunkOffsets;
  std::uint64_t emptyEdit = 0;    // movie time before the first edit that shows media
  std::int64_t firstShown = 0;    // media time that edit starts at

  std::uint64_t SampleCount() const { return fixedSize ? sizeCount : sizes.size(); }
  std::uint32_t SizeOf(std::uint64_t i) const { return fixedSize ? fixedSize : sizes[i]; }
};

struct ParsedTrack {
  MovieTrack track;
  SampleTables tables;
};

std::uint64_t SaturatingAdd(std::uint64_t a, std::uint64_t b) {
  return a > std::numeric_limits<std::uint64_t>::max() - b ? std::numeric_limits<std::uint64_t>::max() : a + b;
}

// Calls `each(type, body)` for every child atom; bytes too few for a header
// end the list, as the zero word that closes some lists does.
template <class F>
bool EachChild(AtomReader& parent, F&& each) {
  while (parent.Status() == noErr && parent.Left() >= 8) {
    AtomHeader header;
    if (!parent.ReadHeader(header)) break;
    AtomReader body = parent.Child(header.payloadBytes);
    each(header.type, body);
    parent.Absorb(body);
  }
  if (parent.Status() == noErr) parent.Skip(parent.Left());
  return parent.Status() == noErr;
}

// 'mvhd' and 'mdhd' share their head: times, then the time scale and duration.
void ReadTimeHeader(AtomReader& r, std::uint32_t& scale, std::uint64_t& duration, bool& in32Bits) {
  std::uint8_t version = 0;
  std::uint32_t flags = 0;
  r.VersionFlags(version, flags);
  const std::size_t width = version == 1 ? 8 : 4;
  r.Skip(2 * width);
  r.Field("timescale", scale);
  r.Field("duration", duration, width);
  in32Bits = version != 1;
}

void ReadTrackHeader(AtomReader& r, MovieTrack& track) {
  std::uint8_t version = 0;
  std::uint32_t flags = 0;
  r.VersionFlags(version, flags);
  r.Skip(version == 1 ? 16 : 8);
  r.Field("track ID", track.id);
}

void ReadReferences(AtomReader& r, MovieTrack& track) {
  EachChild(r, [&](OSType type, AtomReader& list) {
    if (type != Tag("chap")) return;
    std::vector<std::uint32_t>& ids = track.chapterLists.emplace_back();
    while (list.Left() >= 4) list.Field("track ID", ids.emplace_back());
  });
}

void ReadEdits(AtomReader& r, SampleTables& tables) {
  std::uint8_t version = 0;
  std::uint32_t flags = 0, count = 0;
  r.VersionFlags(version, flags);
  r.Field("entries", count);
  const std::size_t width = version == 1 ? 8 : 4;
  for (std::uint32_t i = 0; i < count && r.Status() == noErr; ++i) {
    std::uint64_t segment = 0;
    std::int64_t mediaTime = 0;
    r.Field("segment duration", segment, width);
    r.Field("media time", mediaTime, width);
    r.Skip(4);
    if (mediaTime != -1) {
      tables.firstShown = std::clamp<std::int64_t>(mediaTime, 0, std::numeric_limits<std::int64_t>::max() / 4);
      return;
    }
    tables.emptyEdit = SaturatingAdd(tables.emptyEdit, segment);
  }
}

void ReadDescriptions(AtomReader& r, MovieTrack& track) {
  std::uint8_t version = 0;
  std::uint32_t flags = 0, count = 0;
  r.VersionFlags(version, flags);
  r.Field("entries", count);
  for (std::uint32_t i = 0; i < count && r.Status() == noErr; ++i) {
    AtomHeader header;
    if (!r.ReadHeader(header)) return;
    track.descriptions.push_back(header.type);
    r.Skip(header.payloadBytes);
  }
}

void ReadSampleTable(AtomReader& stbl, ParsedTrack& p) {
  SampleTables& t = p.tables;
  EachChild(stbl, [&](OSType type, AtomReader& r) {
    std::uint8_t version = 0;
    std::uint32_t flags = 0;
    if (type == Tag("stsd")) return ReadDescriptions(r, p.track);
    r.VersionFlags(version, flags);
    if (type == Tag("stts")) {
      r.Table("entries", t.times, 8, [&](SampleTables::TimeRun& run) {
        r.Field("count", run.count);
        r.Field("delta", run.delta);
      });
    } else if (type == Tag("stsc")) {
      r.Table("entries", t.chunks, 12, [&](SampleTables::ChunkRun& run) {
        r.Field("first chunk", run.firstChunk);
        r.Field("samples", run.perChunk);
        r.Field("description", run.description);
      });
    } else if (type == Tag("stsz")) {
      r.Field("sample size", t.fixedSize);
      r.Field("entries", t.sizeCount);
      if (t.fixedSize == 0)
        r.Array("sizes", t.sizes, t.sizeCount, 4, [&](std::uint32_t& size) { r.Field("size", size); });
    } else if (type == Tag("stco") || type == Tag("co64")) {
      const std::size_t width = type == Tag("co64") ? 8 : 4;
      r.Table("offsets", t.chunkOffsets, width, [&](std::uint64_t& offset) { r.Field("offset", offset, width); });
    }
  });
}

void ReadMedia(AtomReader& mdia, ParsedTrack& p) {
  EachChild(mdia, [&](OSType type, AtomReader& r) {
    if (type == Tag("mdhd")) {
      ReadTimeHeader(r, p.track.timeScale, p.track.duration, p.track.durationIn32Bits);
    } else if (type == Tag("hdlr")) {
      r.Skip(8);
      r.Code("handler", p.track.handler);
    } else if (type == Tag("minf")) {
      EachChild(r, [&](OSType inner, AtomReader& stbl) {
        if (inner == Tag("stbl")) ReadSampleTable(stbl, p);
      });
    }
  });
}

ParsedTrack ReadTrack(AtomReader& trak) {
  ParsedTrack p;
  EachChild(trak, [&](OSType type, AtomReader& r) {
    if (type == Tag("tkhd")) ReadTrackHeader(r, p.track);
    else if (type == Tag("tref")) ReadReferences(r, p.track);
    else if (type == Tag("mdia")) ReadMedia(r, p);
    else if (type == Tag("edts")) EachChild(r, [&](OSType inner, AtomReader& elst) {
        if (inner == Tag("elst")) ReadEdits(elst, p.tables);
      });
  });
  return p;
}

std::vector<ChplEntry> ReadChpl(AtomReader& r) {
  std::uint8_t version = 0, count = 0;
  std::uint32_t flags = 0;
  r.VersionFlags(version, flags);
  if (version >= 1) r.Skip(4);
  r.Field("entries", count);
  std::vector<ChplEntry> list;
  for (int i = 0; i < count && r.Status() == noErr; ++i) {
    ChplEntry& entry = list.emplace_back();
    std::uint8_t length = 0;
    r.Field("start", entry.start);
    r.Field("title length", length);
    std::vector<std::uint8_t> bytes;
    r.Bytes("title", bytes, length);
    entry.title.assign(bytes.begin(), bytes.end());
  }
  return list;
}

// A text sample: a 16-bit length, the text, then boxes of which 'href' holds the link.
void ReadTextSample(std::span<const std::uint8_t> bytes, TrackSample& sample) {
  AtomReader r(bytes);
  std::uint16_t length = 0;
  r.Field("length", length);
  std::vector<std::uint8_t> text;
  r.Bytes("text", text, std::min<std::uint64_t>(length, r.Left()));
  sample.text.assign(text.begin(), text.end());
  EachChild(r, [&](OSType type, AtomReader& box) {
    if (type != Tag("href")) return;
    std::uint8_t linkLength = 0;
    std::vector<std::uint8_t> link;
    box.Skip(4);
    box.Field("link length", linkLength);
    box.Bytes("link", link, linkLength);
    if (box.Status() == noErr) sample.link = std::string(link.begin(), link.end());
  });
}

// Where each sample starts on the track's time line: the first edit's delay
// added, the media skipped by it taken off.
std::int64_t TimeShift(const SampleTables& t, std::uint32_t mediaScale, std::uint32_t movieScale) {
  if (movieScale == 0) return -t.firstShown;
  const unsigned __int128 delay = (unsigned __int128)t.emptyEdit * mediaScale / movieScale;
  return std::int64_t(std::min<unsigned __int128>(delay, std::numeric_limits<std::int64_t>::max() / 2)) - t.firstShown;
}

std::uint64_t Shifted(std::uint64_t time, std::int64_t shift) {
  if (shift < 0) return time > std::uint64_t(-shift) ? time - std::uint64_t(-shift) : 0;
  return SaturatingAdd(time, std::uint64_t(shift));
}

void PlaceSamples(ParsedTrack& p, std::uint64_t count, std::int64_t shift) {
  std::vector<TrackSample>& samples = p.track.samples;
  std::uint64_t time = 0;
  for (const SampleTables::TimeRun& run : p.tables.times) {
    for (std::uint32_t k = 0; k < run.count && samples.size() < count; ++k) {
      TrackSample& s = samples.emplace_back();
      s.size = p.tables.SizeOf(samples.size() - 1);
      s.start = Shifted(time, shift);
      time = SaturatingAdd(time, run.delta);
      s.end = Shifted(time, shift);
    }
  }
}

// The file offset of every placed sample, and the format of its description.
std::vector<std::uint64_t> LocateSamples(ParsedTrack& p) {
  const SampleTables& t = p.tables;
  std::vector<TrackSample>& samples = p.track.samples;
  std::vector<std::uint64_t> offsets;
  std::size_t run = 0;
  for (std::size_t chunk = 0; chunk < t.chunkOffsets.size() && offsets.size() < samples.size(); ++chunk) {
    while (run + 1 < t.chunks.size() && t.chunks[run + 1].firstChunk <= chunk + 1) ++run;
    if (t.chunks.empty()) break;
    std::uint64_t at = t.chunkOffsets[chunk];
    for (std::uint32_t k = 0; k < t.chunks[run].perChunk && offsets.size() < samples.size(); ++k) {
      TrackSample& s = samples[offsets.size()];
      const std::uint32_t description = t.chunks[run].description;
      if (description >= 1 && description <= p.track.descriptions.size())
        s.format = p.track.descriptions[description - 1];
      offsets.push_back(at);
      at = SaturatingAdd(at, s.size);
    }
  }
  return offsets;
}
}  // namespace

bool MovieTrack::IsText() const { return handler == Tag("text") || handler == Tag("sbtl"); }

bool MovieTrack::IsVideo() const { return handler == Tag("vide"); }

bool MovieTrack::HasLinks() const {
  return std::any_of(samples.begin(), samples.end(), [](const TrackSample& s) { return s.link.has_value(); });
}

std::uint64_t Milliseconds(std::uint64_t value, std::uint64_t scale) {
  if (scale == 0) return 0;
  const unsigned __int128 ms = ((unsigned __int128)value * 1000 + scale / 2) / scale;
  return std::uint64_t(std::min<unsigned __int128>(ms, std::numeric_limits<std::uint64_t>::max()));
}

bool ChapterSources::Fail(const std::string& why) {
  failure_ = why;
  return false;
}

bool ChapterSources::Read(std::span<const std::uint8_t> file) {
  return Read(file.size(), [file](std::uint64_t offset, std::span<std::uint8_t> into) {
    if (offset > file.size() || into.size() > file.size() - offset) return false;
    std::copy_n(file.begin() + std::ptrdiff_t(offset), into.size(), into.begin());
    return true;
  });
}

bool ChapterSources::Read(std::uint64_t fileSize, const ReadAt& read) {
  std::uint64_t offset = 0;
  while (fileSize - offset >= 8) {
    std::uint8_t head[16] = {};
    const std::size_t headBytes = std::min<std::uint64_t>(16, fileSize - offset);
    if (!read(offset, std::span(head, headBytes))) return Fail("the file could not be read");
    AtomReader r(std::span<const std::uint8_t>(head, headBytes));
    std::uint64_t size = 0, headerBytes = 8;
    OSType type = 0;
    r.Field("size", size, 4);
    r.Code("type", type);
    if (size == 1) r.Field("size", size, 8), headerBytes = 16;
    if (size == 0) size = fileSize - offset;
    if (r.Status() != noErr || size < headerBytes || size > fileSize - offset) {
      if (type == Tag("moov")) return Fail("the movie atom runs past the end of the file");
      break;
    }
    if (type == Tag("moov")) {
      if (size - headerBytes > kMaxMovieAtom) return Fail("the movie atom is too large");
      std::vector<std::uint8_t> payload(std::size_t(size - headerBytes));
      if (!read(offset + headerBytes, payload)) return Fail("the file could not be read");
      return ReadMovieAtom(payload, fileSize, read);
    }
    offset += size;
  }
  return Fail("no movie atom");
}

bool ChapterSources::ReadMovieAtom(std::span<const std::uint8_t> payload, std::uint64_t fileSize,
                                   const ReadAt& read) {
  AtomReader moov(payload);
  std::vector<ParsedTrack> parsed;
  bool headerSeen = false;
  EachChild(moov, [&](OSType type, AtomReader& r) {
    if (type == Tag("mvhd")) ReadTimeHeader(r, timeScale, duration, durationIn32Bits), headerSeen = true;
    else if (type == Tag("trak")) parsed.push_back(ReadTrack(r));
    else if (type == Tag("udta")) EachChild(r, [&](OSType inner, AtomReader& body) {
        if (inner == Tag("chpl") && !chpl) chpl = ReadChpl(body);
      });
  });
  if (moov.Status() != noErr) return Fail("the movie atom is damaged");
  if (!headerSeen || timeScale == 0) return Fail("the movie has no time scale");
  std::uint64_t textBytes = 0;
  for (ParsedTrack& p : parsed) {
    MovieTrack& track = p.track;
    for (const SampleTables::TimeRun& run : p.tables.times)
      track.sampleTime = SaturatingAdd(track.sampleTime, std::uint64_t(run.count) * run.delta);
    if (!track.IsText() && !track.IsVideo()) continue;
    const std::string name = "track " + std::to_string(track.id);
    if (track.timeScale == 0) return Fail(name + " has no time scale");
    if (p.tables.SampleCount() > kMaxListedSamples) return Fail(name + " has more samples than are listed");
    PlaceSamples(p, p.tables.SampleCount(), TimeShift(p.tables, track.timeScale, timeScale));
    const std::vector<std::uint64_t> offsets = LocateSamples(p);
    if (offsets.size() < track.samples.size()) return Fail(name + " has samples outside its chunks");
    for (std::size_t i = 0; i < offsets.size(); ++i) {
      TrackSample& s = track.samples[i];
      if (offsets[i] > fileSize || s.size > fileSize - offsets[i])
        return Fail("sample " + std::to_string(i + 1) + " of " + name + " lies past the end of the file");
      if (!track.IsText()) continue;
      std::vector<std::uint8_t> bytes(std::min<std::size_t>(s.size, kMaxTextSampleBytes));
      textBytes += bytes.size();
      if (textBytes > kMaxTextBytesInAll) return Fail("the text samples are too large");
      if (!read(offsets[i], bytes)) return Fail("the file could not be read");
      ReadTextSample(bytes, s);
    }
  }
  for (ParsedTrack& p : parsed) tracks.push_back(std::move(p.track));
  return true;
}

const MovieTrack* ChapterSources::Track(std::uint32_t id) const {
  const auto it = std::find_if(tracks.begin(), tracks.end(), [id](const MovieTrack& t) { return t.id == id; });
  return it == tracks.end() ? nullptr : &*it;
}

bool ChapterSources::InChapterList(std::uint32_t id) const {
  for (const MovieTrack& t : tracks)
    for (const auto& list : t.chapterLists)
      if (std::find(list.begin(), list.end(), id) != list.end()) return true;
  return false;
}

namespace {
template <class Wanted>
std::vector<const MovieTrack*> NamedInLists(const ChapterSources& sources, Wanted&& wanted) {
  std::vector<const MovieTrack*> found;
  for (const MovieTrack& t : sources.tracks)
    for (const auto& list : t.chapterLists)
      for (std::uint32_t id : list) {
        const MovieTrack* named = sources.Track(id);
        if (named && wanted(*named) && std::find(found.begin(), found.end(), named) == found.end())
          found.push_back(named);
      }
  return found;
}
}  // namespace

std::vector<const MovieTrack*> ChapterSources::ChapterTracks() const {
  return NamedInLists(*this, [](const MovieTrack& t) { return t.IsText() && !t.HasLinks() && !t.samples.empty(); });
}

std::vector<const MovieTrack*> ChapterSources::SlideTracks() const {
  return NamedInLists(*this, [](const MovieTrack& t) { return t.IsVideo(); });
}

std::vector<const MovieTrack*> ChapterSources::LinkTracks() const {
  std::vector<const MovieTrack*> found;
  for (const MovieTrack& t : tracks)
    if (t.IsText() && t.HasLinks()) found.push_back(&t);
  return found;
}

std::uint64_t ChapterSources::EndMilliseconds() const {
  std::uint64_t end = Milliseconds(duration, timeScale);
  for (const MovieTrack& t : tracks)
    if (!InChapterList(t.id) && !(t.IsText() && t.HasLinks()))
      end = std::max(end, Milliseconds(t.sampleTime, t.timeScale));
  return end;
}
