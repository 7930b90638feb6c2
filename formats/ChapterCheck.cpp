#include "formats/ChapterCheck.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace {
constexpr std::uint64_t kMax32 = std::numeric_limits<std::uint32_t>::max();

// The length of the UTF-8 character at `at`, 0 when the bytes there are not one.
std::size_t Utf8CharacterAt(const std::string& text, std::size_t at) {
  const auto byte = [&](std::size_t i) { return std::uint8_t(text[i]); };
  const std::uint8_t lead = byte(at);
  if (lead < 0x80) return 1;
  std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
  if (length == 0 || lead > 0xF4 || at + length > text.size()) return 0;
  std::uint32_t code = lead & (0xFF >> (length + 1));
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
    code = code << 6 | (byte(at + i) & 0x3F);
  }
  const std::uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < least[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return length;
}

bool IsUtf8(const std::string& text) {
  for (std::size_t at = 0, n = 0; at < text.size(); at += n)
    if ((n = Utf8CharacterAt(text, at)) == 0) return false;
  return true;
}

void AppendUtf8(std::string& out, std::uint32_t code) {
  if (code < 0x80) {
    out += char(code);
  } else if (code < 0x800) {
    out += char(0xC0 | code >> 6), out += char(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += char(0xE0 | code >> 12), out += char(0x80 | (code >> 6 & 0x3F)), out += char(0x80 | (code & 0x3F));
  } else {
    out += char(0xF0 | code >> 18), out += char(0x80 | (code >> 12 & 0x3F));
    out += char(0x80 | (code >> 6 & 0x3F)), out += char(0x80 | (code & 0x3F));
  }
}

// UTF-16 after its byte-order mark, in the order the mark gives.
std::optional<std::string> FromUtf16(const std::string& stored) {
  if (stored.size() % 2 != 0) return std::nullopt;
  const bool big = std::uint8_t(stored[0]) == 0xFE;
  const auto unit = [&](std::size_t i) {
    const std::uint32_t a = std::uint8_t(stored[i]), b = std::uint8_t(stored[i + 1]);
    return big ? a << 8 | b : b << 8 | a;
  };
  std::string out;
  for (std::size_t i = 2; i < stored.size(); i += 2) {
    std::uint32_t code = unit(i);
    if (code >= 0xDC00 && code <= 0xDFFF) return std::nullopt;
    if (code >= 0xD800 && code <= 0xDBFF) {
      if (i + 4 > stored.size()) return std::nullopt;
      const std::uint32_t low = unit(i + 2);
      if (low < 0xDC00 || low > 0xDFFF) return std::nullopt;
      code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
      i += 2;
    }
    AppendUtf8(out, code);
  }
  return out;
}

bool HasByteOrderMark(const std::string& stored) {
  if (stored.size() < 2) return false;
  const std::uint8_t a = std::uint8_t(stored[0]), b = std::uint8_t(stored[1]);
  return (a == 0xFE && b == 0xFF) || (a == 0xFF && b == 0xFE);
}

// The head of a title that fits the 'chpl' list's 255 bytes without splitting a character.
std::string CutForChpl(const std::string& title) {
  if (title.size() <= 255) return title;
  std::size_t cut = 255;
  while (cut > 0 && (std::uint8_t(title[cut]) & 0xC0) == 0x80) --cut;
  return title.substr(0, cut);
}

std::string Number(std::uint64_t n) { return std::to_string(n); }

std::string AndMore(std::size_t count) { return count > 1 ? " (and " + Number(count - 1) + " more)" : ""; }

std::string TrackName(const MovieTrack& track) { return "chapter track " + Number(track.id); }

std::uint64_t Distance(std::uint64_t a, std::uint64_t b) { return a > b ? a - b : b - a; }
}  // namespace

std::optional<std::string> ChapterCheck::TitleText(const std::string& stored) {
  if (HasByteOrderMark(stored)) return FromUtf16(stored);
  if (IsUtf8(stored)) return stored;
  return std::nullopt;
}

std::string ChapterCheck::Printable(const std::string& stored) {
  const std::optional<std::string> text = TitleText(stored);
  const std::string& from = text ? *text : stored;
  std::string out;
  for (std::size_t at = 0, n = 0; at < from.size(); at += n) {
    n = std::max<std::size_t>(1, Utf8CharacterAt(from, at));
    const bool control = std::uint8_t(from[at]) < 0x20 || from[at] == 0x7F;
    out += control || Utf8CharacterAt(from, at) == 0 ? std::string("?") : from.substr(at, n);
  }
  return out;
}

std::string ChapterCheck::Seconds(std::uint64_t milliseconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%llu.%03llu", static_cast<unsigned long long>(milliseconds / 1000),
                static_cast<unsigned long long>(milliseconds % 1000));
  return text;
}

std::vector<CheckedChapter> ChapterCheck::TrackChapters(const MovieTrack& track) const {
  std::vector<CheckedChapter> chapters;
  for (const TrackSample& s : track.samples)
    chapters.push_back({Milliseconds(s.start, track.timeScale), Milliseconds(s.end, track.timeScale), s.text});
  return chapters;
}

// A 'chpl' chapter lasts until the next one starts, the last one until the movie's header says it ends.
std::vector<CheckedChapter> ChapterCheck::ChplChapters() const {
  std::vector<CheckedChapter> chapters;
  if (!sources_.chpl) return chapters;
  const std::vector<ChplEntry>& list = *sources_.chpl;
  const std::uint64_t movieEnd = Milliseconds(sources_.duration, sources_.timeScale);
  for (std::size_t i = 0; i < list.size(); ++i) {
    const std::uint64_t start = Milliseconds(list[i].start, ChapterSources::kChplUnitsPerSecond);
    const std::uint64_t end = i + 1 < list.size() ? Milliseconds(list[i + 1].start, ChapterSources::kChplUnitsPerSecond)
                                                  : std::max(start, movieEnd);
    chapters.push_back({start, end, list[i].title});
  }
  return chapters;
}

std::vector<std::string> ChapterCheck::Warnings() const {
  std::vector<std::string> out;
  const std::vector<const MovieTrack*> chapterTracks = sources_.ChapterTracks();
  if (!chapterTracks.empty() && sources_.chpl) CompareWithChpl(*chapterTracks.front(), out);
  for (const MovieTrack* track : chapterTracks) CheckList(TrackName(*track), TrackChapters(*track), out);
  if (sources_.chpl) CheckList("the 'chpl' list", ChplChapters(), out);
  CheckChapterLists(out);
  CheckTextTracks(out);
  CheckTimeFields(out);
  return out;
}

void ChapterCheck::CompareWithChpl(const MovieTrack& track, std::vector<std::string>& out) const {
  const std::vector<CheckedChapter> inTrack = TrackChapters(track), inChpl = ChplChapters();
  const std::string both = TrackName(track) + " and the 'chpl' list: ";
  if (inTrack.size() != inChpl.size()) {
    out.push_back(both + Number(inTrack.size()) + " and " + Number(inChpl.size()) + " chapters");
    return;
  }
  std::vector<std::size_t> starts, titles;
  for (std::size_t i = 0; i < inTrack.size(); ++i) {
    if (Distance(inTrack[i].start, inChpl[i].start) > kStartTolerance) starts.push_back(i);
    const std::optional<std::string> title = TitleText(inTrack[i].title);
    if (title && CutForChpl(*title) != inChpl[i].title) titles.push_back(i);
  }
  if (!starts.empty()) {
    const std::size_t i = starts.front();
    out.push_back(both + "chapter " + Number(i + 1) + " starts at " + Seconds(inTrack[i].start) + " and " +
                  Seconds(inChpl[i].start) + AndMore(starts.size()));
  }
  if (!titles.empty()) {
    const std::size_t i = titles.front();
    out.push_back(both + "chapter " + Number(i + 1) + " is titled \"" + Printable(inTrack[i].title) + "\" and \"" +
                  Printable(inChpl[i].title) + "\"" + AndMore(titles.size()));
  }
}

void ChapterCheck::CheckList(const std::string& name, const std::vector<CheckedChapter>& chapters,
                             std::vector<std::string>& out) const {
  if (chapters.empty()) return;
  if (chapters.size() > kMaxChapters)
    out.push_back(name + ": " + Number(chapters.size()) + " chapters, more than " + Number(kMaxChapters));
  if (chapters.front().start != 0)
    out.push_back(name + ": the first chapter starts at " + Seconds(chapters.front().start) + ", not 0");
  const std::uint64_t movieEnd = sources_.EndMilliseconds();
  std::vector<std::size_t> late, badTitles;
  for (std::size_t i = 0; i < chapters.size(); ++i) {
    if (chapters[i].end > movieEnd || chapters[i].start >= movieEnd) late.push_back(i);
    if (!TitleText(chapters[i].title)) badTitles.push_back(i);
  }
  if (!late.empty())
    out.push_back(name + ": chapter " + Number(late.front() + 1) + " ends at " + Seconds(chapters[late.front()].end) +
                  ", past the movie's end at " + Seconds(movieEnd) + AndMore(late.size()));
  if (!badTitles.empty())
    out.push_back(name + ": the title of chapter " + Number(badTitles.front() + 1) +
                  " is neither UTF-8 nor UTF-16 with a byte-order mark" + AndMore(badTitles.size()));
}

void ChapterCheck::CheckChapterLists(std::vector<std::string>& out) const {
  std::string owners;
  std::size_t lists = 0;
  for (const MovieTrack& t : sources_.tracks) {
    for (const auto& list : t.chapterLists) {
      owners += (lists++ ? ", " : "") + Number(t.id);
      std::string titled;
      std::size_t count = 0;
      for (std::uint32_t id : list) {
        const MovieTrack* named = sources_.Track(id);
        if (!named || !named->IsText() || named->samples.empty()) continue;
        if (named->HasLinks()) {
          out.push_back("link track " + Number(id) + ": in a 'chap' list");
          continue;
        }
        titled += (count++ ? ", " : "") + Number(id);
      }
      if (count > 1)
        out.push_back("track " + Number(t.id) + ": its 'chap' list names several titled text tracks (" + titled + ")");
    }
  }
  if (lists > 1) out.push_back("several 'chap' lists (tracks " + owners + ")");
}

void ChapterCheck::CheckTextTracks(std::vector<std::string>& out) const {
  for (const MovieTrack& t : sources_.tracks) {
    if (!t.IsText()) continue;
    const auto count = std::count(t.descriptions.begin(), t.descriptions.end(), Tag("tx3g"));
    if (count > 1) out.push_back("text track " + Number(t.id) + ": " + Number(count) + " 'tx3g' sample descriptions");
  }
}

void ChapterCheck::CheckTimeFields(std::vector<std::string>& out) const {
  for (const MovieTrack* track : sources_.ChapterTracks()) {
    if (!track->samples.empty() && track->samples.back().end > kMax32)
      out.push_back(TrackName(*track) + ": times past 32 bits at time scale " + Number(track->timeScale));
  }
  if (sources_.chpl) {
    const std::vector<ChplEntry>& list = *sources_.chpl;
    for (std::size_t i = 0; i < list.size(); ++i) {
      const unsigned __int128 inMovie =
          (unsigned __int128)list[i].start * sources_.timeScale / ChapterSources::kChplUnitsPerSecond;
      if (inMovie <= kMax32 && list[i].start <= std::uint64_t(std::numeric_limits<std::int64_t>::max())) continue;
      out.push_back("the 'chpl' list: chapter " + Number(i + 1) + " starts past 32 bits of the movie's time scale");
      break;
    }
  }
  bool movieWrapped = false;
  for (const MovieTrack& t : sources_.tracks) {
    if (t.durationIn32Bits && t.sampleTime > kMax32)
      out.push_back("track " + Number(t.id) + ": the 'mdhd' duration wrapped at 32 bits");
    const unsigned __int128 inMovie =
        t.timeScale ? (unsigned __int128)t.sampleTime * sources_.timeScale / t.timeScale : 0;
    movieWrapped = movieWrapped || (sources_.durationIn32Bits && inMovie > kMax32);
  }
  if (movieWrapped) out.push_back("the 'mvhd' duration wrapped at 32 bits");
}
