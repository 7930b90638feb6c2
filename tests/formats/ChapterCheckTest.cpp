#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "formats/BinStorage.h"
#include "formats/ChapterCheck.h"
#include "formats/ChapterSources.h"
#include "formats/NeroChapterList.h"
#include "platform/quicktime/QtTypes.h"

namespace {
struct FakeTrack {
  std::uint32_t id = 1;
  OSType handler = Tag("soun");
  std::uint32_t scale = 1000;
  std::vector<std::uint32_t> durations;
  std::vector<std::string> samples;  // the bytes of each; empty: 4 bytes of zeros
  std::vector<OSType> descriptions{Tag("text")};
  std::vector<std::vector<std::uint32_t>> chap;
  bool wideHeader = false;
  std::uint64_t emptyEdit = 0;  // movie time scale
};

struct FakeMovie {
  std::uint32_t scale = 600;
  std::uint64_t duration = 0;
  bool wideHeader = false;
  std::vector<FakeTrack> tracks;
  std::optional<std::vector<std::pair<std::uint64_t, std::string>>> chpl;  // starts in 100 ns
};

std::string Be(std::uint64_t value, int bytes) {
  std::string out;
  for (int i = bytes - 1; i >= 0; --i) out += char(i < 8 ? value >> (8 * i) & 0xFF : 0);
  return out;
}

std::string Atom(const std::string& type, const std::string& payload) {
  return Be(8 + payload.size(), 4) + type + payload;
}

std::string Full(bool wide, const std::string& rest) { return Be(wide ? 1 << 24 : 0, 4) + rest; }

std::string TextSample(const std::string& text, const std::string& link = "") {
  const std::string href = Be(0, 2) + Be(text.size(), 2) + Be(link.size(), 1) + link + '\0';
  return Be(text.size(), 2) + text + (link.empty() ? "" : Atom("href", href));
}

std::string TimeHeader(const char* type, bool wide, std::uint32_t scale, std::uint64_t duration, std::size_t tail) {
  const int width = wide ? 8 : 4;
  const std::string times = Be(0, 2 * width) + Be(scale, 4) + Be(duration, width);
  return Atom(type, Full(wide, times + Be(0, int(tail))));
}

std::string SampleBytes(const FakeTrack& t) {
  std::string bytes;
  for (std::size_t i = 0; i < t.durations.size(); ++i) bytes += i < t.samples.size() ? t.samples[i] : Be(0, 4);
  return bytes;
}

std::string Track(const FakeTrack& t, std::uint32_t movieScale, std::uint64_t at) {
  const std::size_t n = t.durations.size();
  std::uint64_t length = 0;
  std::string stsd = Be(t.descriptions.size(), 4), stts = Be(n, 4), stsz = Be(0, 4) + Be(n, 4), tref;
  for (OSType d : t.descriptions) stsd += Be(16, 4) + Be(d, 4) + Be(0, 6) + Be(1, 2);
  for (std::uint32_t d : t.durations) stts += Be(1, 4) + Be(d, 4), length += d;
  for (std::size_t i = 0; i < n; ++i) stsz += Be(i < t.samples.size() ? t.samples[i].size() : 4, 4);
  const std::string stbl = Atom("stsd", Full(0, stsd)) + Atom("stts", Full(0, stts)) +
                           Atom("stsc", Full(0, Be(1, 4) + Be(1, 4) + Be(n, 4) + Be(1, 4))) +
                           Atom("stsz", Full(0, stsz)) + Atom("stco", Full(0, Be(1, 4) + Be(at, 4)));
  std::string body = Atom("tkhd", Full(0, Be(0, 8) + Be(t.id, 4) + Be(0, 68)));
  if (t.emptyEdit)
    body += Atom("edts", Atom("elst", Full(0, Be(2, 4) + Be(t.emptyEdit, 4) + Be(0xFFFFFFFF, 4) + Be(0x10000, 4) +
                                                  Be(length * movieScale / t.scale, 4) + Be(0, 4) + Be(0x10000, 4))));
  for (const auto& list : t.chap) {
    std::string ids;
    for (std::uint32_t id : list) ids += Be(id, 4);
    tref += Atom("chap", ids);
  }
  if (!tref.empty()) body += Atom("tref", tref);
  const std::string handler = Atom("hdlr", Full(0, Be(0, 4) + Be(t.handler, 4) + Be(0, 13)));
  body += Atom("mdia", TimeHeader("mdhd", t.wideHeader, t.scale, length, 4) + handler +
                           Atom("minf", Atom("stbl", stbl)));
  return Atom("trak", body);
}

std::string MovieAtom(const FakeMovie& m, std::uint64_t mdatStart) {
  std::string moov = TimeHeader("mvhd", m.wideHeader, m.scale, m.duration, 80);
  for (const FakeTrack& t : m.tracks) moov += Track(t, m.scale, mdatStart), mdatStart += SampleBytes(t).size();
  if (m.chpl) {
    NeroChapterList list(ChapterSources::kChplUnitsPerSecond);
    for (const auto& [start, title] : *m.chpl) list.Add(std::int64_t(start), title);
    BinStorage chpl;
    if (!list.AppendAtom(chpl)) ADD_FAILURE() << "no 'chpl' written";
    moov += Atom("udta", std::string(reinterpret_cast<const char*>(chpl.data()), chpl.Length()));
  }
  return Atom("moov", moov);
}

std::string FileOf(const FakeMovie& m) {
  std::string media;
  for (const FakeTrack& t : m.tracks) media += SampleBytes(t);
  return MovieAtom(m, MovieAtom(m, 0).size() + 8) + Atom("mdat", media);
}

std::span<const std::uint8_t> Bytes(const std::string& s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

std::vector<std::string> WarningsOf(const FakeMovie& m) {
  ChapterSources sources;
  const std::string file = FileOf(m);
  if (!sources.Read(Bytes(file))) return {"unread: " + sources.Failure()};
  return ChapterCheck(sources).Warnings();
}

// A sound track of 9 s at 44100, a chapter track at 90000 with three UTF-8
// chapters, slides at 600 and a link track outside the 'chap' list; the
// 'chpl' agrees. Nothing in it trips a player.
FakeTrack TrackOf(std::uint32_t id, OSType handler, std::uint32_t scale, std::vector<std::uint32_t> durations) {
  FakeTrack t;
  t.id = id, t.handler = handler, t.scale = scale, t.durations = std::move(durations);
  return t;
}

FakeMovie CleanMovie() {
  FakeMovie m;
  m.scale = 44100, m.duration = 9 * 44100;
  m.tracks.push_back(TrackOf(1, Tag("soun"), 44100, {4 * 44100, 5 * 44100}));
  m.tracks[0].chap = {{3, 2}};
  m.tracks.push_back(TrackOf(2, Tag("vide"), 600, {1200, 4200}));
  m.tracks[1].descriptions = {Tag("jpeg")};
  m.tracks.push_back(TrackOf(3, Tag("text"), 90000, {135000, 270000, 405000}));
  m.tracks[2].samples = {TextSample("Intro"), TextSample("Köln — Mitte"), TextSample("Ende")};
  m.tracks.push_back(TrackOf(4, Tag("text"), 600, {1800, 3600}));
  m.tracks[3].samples = {TextSample("Site", "https://a.example/"), TextSample("")};
  m.tracks[3].descriptions = {Tag("tx3g")};
  m.chpl = {{{0, "Intro"}, {15'000'000, "Köln — Mitte"}, {45'000'000, "Ende"}}};
  return m;
}
}  // namespace

// The sources come out as written, in milliseconds of the movie, and a clean movie gives no warning.
TEST(ChapterCheck, ReadsEverySourceOfACleanMovie) {
  const FakeMovie m = CleanMovie();
  const std::string file = FileOf(m);
  ChapterSources sources;
  ASSERT_TRUE(sources.Read(Bytes(file))) << sources.Failure();
  const ChapterCheck check(sources);
  EXPECT_EQ(check.Warnings(), std::vector<std::string>{});
  ASSERT_EQ(sources.ChapterTracks().size(), 1u);
  const auto chapters = check.TrackChapters(*sources.ChapterTracks()[0]);
  ASSERT_EQ(chapters.size(), 3u);
  EXPECT_EQ(chapters[1].start, 1500u);
  EXPECT_EQ(chapters[1].end, 4500u);
  const auto chpl = check.ChplChapters();
  ASSERT_EQ(chpl.size(), 3u);
  EXPECT_EQ(chpl[2].start, 4500u);
  EXPECT_EQ(chpl[2].end, 9000u);  // the last one lasts to the movie's end
  ASSERT_EQ(sources.SlideTracks().size(), 1u);
  EXPECT_EQ(sources.SlideTracks()[0]->samples[1].start, 1200u);  // at 600, not 1000
  ASSERT_EQ(sources.LinkTracks().size(), 1u);
  EXPECT_EQ(sources.LinkTracks()[0]->samples[0].link, "https://a.example/");
  EXPECT_FALSE(sources.LinkTracks()[0]->samples[1].link.has_value());
}

TEST(ChapterCheck, TitlesAndTimesAsPrinted) {
  EXPECT_EQ(ChapterCheck::TitleText(std::string("\xFE\xFF\x00K\x00\xF6\xD8\x3D\xDE\x00", 10)), "Kö\U0001F600");
  EXPECT_EQ(ChapterCheck::TitleText(std::string("\xFF\xFEK\x00", 4)), "K");
  EXPECT_FALSE(ChapterCheck::TitleText(std::string("\xFE\xFF\xDC\x00", 4)));  // a lone low surrogate
  EXPECT_FALSE(ChapterCheck::TitleText("\xC3\x28"));
  EXPECT_FALSE(ChapterCheck::TitleText("\xC0\xAF"));  // overlong
  EXPECT_EQ(ChapterCheck::Printable("a\xFF" "b\n"), "a?b?");
  EXPECT_EQ(Milliseconds(1001, 2002), 500u);
  EXPECT_EQ(Milliseconds(1, 2000), 1u);  // half a millisecond rounds up
  EXPECT_EQ(Milliseconds(std::uint64_t(1) << 40, 48000), 22906492245u);
}

// Each defect gives exactly its warnings.
TEST(ChapterCheck, EachDefectGivesItsWarnings) {
  struct Case {
    const char* name;
    void (*change)(FakeMovie&);
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"chpl one short", [](FakeMovie& m) { m.chpl->pop_back(); },
       {"chapter track 3 and the 'chpl' list: 3 and 2 chapters"}},
      {"chpl start 1 ms off", [](FakeMovie& m) { (*m.chpl)[1].first += 10'000; }, {}},
      {"chpl starts 2 ms off", [](FakeMovie& m) { (*m.chpl)[1].first += 20'000, (*m.chpl)[2].first -= 30'000; },
       {"chapter track 3 and the 'chpl' list: chapter 2 starts at 1.500 and 1.502 (and 1 more)"}},
      {"chpl title", [](FakeMovie& m) { (*m.chpl)[2].second = "End"; },
       {"chapter track 3 and the 'chpl' list: chapter 3 is titled \"Ende\" and \"End\""}},
      {"first not at 0",  // an empty first edit of 1 s
       [](FakeMovie& m) { m.tracks[2].emptyEdit = 44100, m.tracks[2].durations[0] = 45000, (*m.chpl)[0].first = 1e7; },
       {"chapter track 3: the first chapter starts at 1.000, not 0",
        "the 'chpl' list: the first chapter starts at 1.000, not 0"}},
      {"past the end",
       [](FakeMovie& m) {
         m.tracks[2].durations[2] = 450000;
         m.chpl->push_back({95'000'000, "Zugabe"});
         m.tracks[2].samples.push_back(TextSample("Zugabe"));
         m.tracks[2].durations.push_back(9000);
       },
       {"chapter track 3: chapter 3 ends at 9.500, past the movie's end at 9.000 (and 1 more)",
        "the 'chpl' list: chapter 3 ends at 9.500, past the movie's end at 9.000 (and 1 more)"}},
      {"bad title",
       [](FakeMovie& m) { m.tracks[2].samples[0] = TextSample("Intro\xE9"), (*m.chpl)[0].second = "Intro\xE9"; },
       {"chapter track 3: the title of chapter 1 is neither UTF-8 nor UTF-16 with a byte-order mark",
        "the 'chpl' list: the title of chapter 1 is neither UTF-8 nor UTF-16 with a byte-order mark"}},
      {"UTF-16 title",
       [](FakeMovie& m) { m.tracks[2].samples[2] = TextSample(std::string("\xFE\xFF\0E\0n\0d\0e", 10)); },
       {}},
      {"two lists", [](FakeMovie& m) { m.tracks[1].chap = {{3}}; }, {"several 'chap' lists (tracks 1, 2)"}},
      {"two titled",
       [](FakeMovie& m) { m.tracks.push_back(m.tracks[2]), m.tracks.back().id = 5, m.tracks[0].chap = {{3, 2, 5}}; },
       {"track 1: its 'chap' list names several titled text tracks (3, 5)"}},
      {"link in list", [](FakeMovie& m) { m.tracks[0].chap = {{3, 2, 4}}; }, {"link track 4: in a 'chap' list"}},
      {"two tx3g", [](FakeMovie& m) { m.tracks[3].descriptions = {Tag("tx3g"), Tag("tx3g")}; },
       {"text track 4: 2 'tx3g' sample descriptions"}},
      {"chapter times past 32 bits",
       [](FakeMovie& m) {
         m.tracks[2].scale = 1'000'000'000;
         m.tracks[2].durations = {1'500'000'000, 3'000'000'000, 3'500'000'000};
         m.tracks[2].wideHeader = true;
       },
       {"chapter track 3: times past 32 bits at time scale 1000000000"}},
      {"mdhd wrapped",
       [](FakeMovie& m) {
         m.tracks[2].scale = 1'000'000'000;
         m.tracks[2].durations = {1'500'000'000, 3'000'000'000, 3'500'000'000};
       },
       {"chapter track 3: times past 32 bits at time scale 1000000000",
        "track 3: the 'mdhd' duration wrapped at 32 bits"}},
      {"mvhd wrapped",
       [](FakeMovie& m) { m.scale = 600'000'000, m.duration = 5'400'000'000 % (std::uint64_t(1) << 32); },
       {"the 'mvhd' duration wrapped at 32 bits"}},
      {"mvhd wide", [](FakeMovie& m) { m.scale = 600'000'000, m.duration = 5'400'000'000, m.wideHeader = true; }, {}},
      {"chpl past 32 bits",
       [](FakeMovie& m) {
         m.scale = 600'000'000, m.duration = 5'400'000'000, m.wideHeader = true;
         (*m.chpl)[2].first = 75'000'000;  // 7.5 s: 4.5e9 at this time scale
         m.tracks[2].durations = {135000, 540000, 135000};
       },
       {"the 'chpl' list: chapter 3 starts past 32 bits of the movie's time scale"}},
      {"300 chapters",
       [](FakeMovie& m) {
         m.chpl.reset();
         m.tracks[2].durations.assign(300, 300 * 9);
         m.tracks[2].samples.assign(300, TextSample("C"));
       },
       {"chapter track 3: 300 chapters, more than 255"}},
  };
  for (const Case& c : cases) {
    FakeMovie m = CleanMovie();
    c.change(m);
    EXPECT_EQ(WarningsOf(m), c.expected) << c.name;
  }
}

// Damage is refused in a few words, never read past.
TEST(ChapterCheck, DamagedFilesAreRefused) {
  const std::string file = FileOf(CleanMovie());
  const auto failure = [](const std::string& bytes) {
    ChapterSources sources;
    return sources.Read(Bytes(bytes)) ? std::string() : sources.Failure();
  };
  EXPECT_EQ(failure("not a movie at all"), "no movie atom");
  EXPECT_EQ(failure(file.substr(0, 200)), "the movie atom runs past the end of the file");
  const std::size_t mdat = file.find("mdat");
  EXPECT_EQ(failure(file.substr(0, mdat + 4 + 10)), "sample 1 of track 2 lies past the end of the file");
  std::string bent = file;
  bent.replace(bent.find("stts") + 8, 4, std::string("\x10\0\0\0", 4));  // more entries than bytes
  EXPECT_EQ(failure(bent), "the movie atom is damaged");
  for (std::size_t cut = 0; cut < file.size(); cut += 7) failure(file.substr(0, cut));
}
