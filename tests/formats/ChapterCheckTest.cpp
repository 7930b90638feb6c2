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

std::string TextSample(const std::string& text, const std::string& link = "") {
  std::string s{char(text.size() >> 8), char(text.size() & 0xFF)};
  s += text;
  if (link.empty()) return s;
  const std::size_t box = 8 + 4 + 1 + link.size() + 1;
  s += std::string{0, 0, 0, char(box)} + "href" + std::string{0, 0, 0, char(text.size())} + char(link.size()) + link;
  return s + '\0';
}

void Full(BinStorage& out, std::uint8_t version) { out.AppendU32(std::uint32_t(version) << 24, true); }

void TimeHeader(BinStorage& out, const char* type, bool wide, std::uint32_t scale, std::uint64_t duration) {
  out.BeginAtom(OSType(type[0]) << 24 | OSType(type[1]) << 16 | OSType(type[2]) << 8 | OSType(type[3]));
  Full(out, wide ? 1 : 0);
  if (wide) out.AppendZeros(16), out.AppendU32(scale, true), out.AppendU64(duration, true);
  else out.AppendZeros(8), out.AppendU32(scale, true), out.AppendU32(std::uint32_t(duration), true);
  out.AppendZeros(type[1] == 'v' ? 80 : 4);
  out.EndAtom(0);
}

void SampleTable(BinStorage& out, const FakeTrack& t, std::uint64_t at) {
  out.BeginAtom(Tag("stbl"));
  out.BeginAtom(Tag("stsd"));
  Full(out, 0);
  out.AppendU32(std::uint32_t(t.descriptions.size()), true);
  for (OSType d : t.descriptions) out.AppendU32(16, true), out.AppendU32(d, true), out.AppendZeros(6), out.AppendU16(1, true);
  out.EndAtom(0);
  out.BeginAtom(Tag("stts"));
  Full(out, 0);
  out.AppendU32(std::uint32_t(t.durations.size()), true);
  for (std::uint32_t d : t.durations) out.AppendU32(1, true), out.AppendU32(d, true);
  out.EndAtom(0);
  out.BeginAtom(Tag("stsc"));
  Full(out, 0);
  out.AppendU32(1, true), out.AppendU32(1, true), out.AppendU32(std::uint32_t(t.durations.size()), true);
  out.AppendU32(1, true);
  out.EndAtom(0);
  out.BeginAtom(Tag("stsz"));
  Full(out, 0);
  out.AppendU32(0, true), out.AppendU32(std::uint32_t(t.durations.size()), true);
  for (std::size_t i = 0; i < t.durations.size(); ++i)
    out.AppendU32(i < t.samples.size() ? std::uint32_t(t.samples[i].size()) : 4, true);
  out.EndAtom(0);
  out.BeginAtom(Tag("stco"));
  Full(out, 0);
  out.AppendU32(1, true), out.AppendU32(std::uint32_t(at), true);
  out.EndAtom(0);
  out.EndAtom(0);
}

std::string SampleBytes(const FakeTrack& t) {
  std::string bytes;
  for (std::size_t i = 0; i < t.durations.size(); ++i) bytes += i < t.samples.size() ? t.samples[i] : std::string(4, '\0');
  return bytes;
}

void Track(BinStorage& out, const FakeTrack& t, std::uint32_t movieScale, std::uint64_t at) {
  std::uint64_t length = 0;
  for (std::uint32_t d : t.durations) length += d;
  out.BeginAtom(Tag("trak"));
  out.BeginAtom(Tag("tkhd"));
  Full(out, 0), out.AppendZeros(8), out.AppendU32(t.id, true), out.AppendZeros(68);
  out.EndAtom(0);
  if (t.emptyEdit) {
    out.BeginAtom(Tag("edts")), out.BeginAtom(Tag("elst")), Full(out, 0), out.AppendU32(2, true);
    out.AppendU32(std::uint32_t(t.emptyEdit), true), out.AppendU32(0xFFFFFFFF, true), out.AppendU32(0x10000, true);
    out.AppendU32(std::uint32_t(length * movieScale / t.scale), true), out.AppendU32(0, true);
    out.AppendU32(0x10000, true), out.EndAtom(0), out.EndAtom(0);
  }
  if (!t.chap.empty()) {
    out.BeginAtom(Tag("tref"));
    for (const auto& list : t.chap) {
      out.BeginAtom(Tag("chap"));
      for (std::uint32_t id : list) out.AppendU32(id, true);
      out.EndAtom(0);
    }
    out.EndAtom(0);
  }
  out.BeginAtom(Tag("mdia"));
  TimeHeader(out, "mdhd", t.wideHeader, t.scale, length);
  out.BeginAtom(Tag("hdlr")), Full(out, 0), out.AppendU32(0, true), out.AppendU32(t.handler, true);
  out.AppendZeros(13), out.EndAtom(0);
  out.BeginAtom(Tag("minf"));
  SampleTable(out, t, at);
  out.EndAtom(0), out.EndAtom(0), out.EndAtom(0);
}

std::string MovieAtom(const FakeMovie& m, std::uint64_t mdatStart) {
  BinStorage out;
  out.BeginAtom(Tag("moov"));
  TimeHeader(out, "mvhd", m.wideHeader, m.scale, m.duration);
  std::uint64_t at = mdatStart;
  for (const FakeTrack& t : m.tracks) Track(out, t, m.scale, at), at += SampleBytes(t).size();
  if (m.chpl) {
    NeroChapterList list(ChapterSources::kChplUnitsPerSecond);
    for (const auto& [start, title] : *m.chpl) list.Add(std::int64_t(start), title);
    out.BeginAtom(Tag("udta"));
    if (!list.AppendAtom(out)) ADD_FAILURE() << "no 'chpl' written";
    out.EndAtom(0);
  }
  out.EndAtom(0);
  return std::string(reinterpret_cast<const char*>(out.data()), out.Length());
}

std::string FileOf(const FakeMovie& m) {
  const std::size_t moovSize = MovieAtom(m, 0).size();
  std::string media;
  for (const FakeTrack& t : m.tracks) media += SampleBytes(t);
  const std::size_t mdat = 8 + media.size();
  return MovieAtom(m, moovSize + 8) + std::string{char(mdat >> 24), char(mdat >> 16 & 0xFF), char(mdat >> 8 & 0xFF),
                                                  char(mdat & 0xFF)} + "mdat" + media;
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
  EXPECT_EQ(chapters[1].title, "Köln — Mitte");
  const auto chpl = check.ChplChapters();
  ASSERT_EQ(chpl.size(), 3u);
  EXPECT_EQ(chpl[2].start, 4500u);
  EXPECT_EQ(chpl[2].end, 9000u);  // the last one lasts to the movie's end
  ASSERT_EQ(sources.SlideTracks().size(), 1u);
  EXPECT_EQ(sources.SlideTracks()[0]->samples[1].start, 1200u);
  EXPECT_EQ(sources.SlideTracks()[0]->samples[1].format, Tag("jpeg"));
  ASSERT_EQ(sources.LinkTracks().size(), 1u);
  EXPECT_EQ(sources.LinkTracks()[0]->samples[0].link, "https://a.example/");
  EXPECT_FALSE(sources.LinkTracks()[0]->samples[1].link.has_value());
  EXPECT_EQ(sources.EndMilliseconds(), 9000u);
}

TEST(ChapterCheck, TitlesAndTimesAsPrinted) {
  EXPECT_EQ(ChapterCheck::TitleText(std::string("\xFE\xFF\x00K\x00\xF6\xD8\x3D\xDE\x00", 10)), "Kö\U0001F600");
  EXPECT_EQ(ChapterCheck::TitleText(std::string("\xFF\xFEK\x00", 4)), "K");
  EXPECT_FALSE(ChapterCheck::TitleText(std::string("\xFE\xFF\xDC\x00", 4)));  // a lone low surrogate
  EXPECT_FALSE(ChapterCheck::TitleText("\xC3\x28"));
  EXPECT_FALSE(ChapterCheck::TitleText("\xC0\xAF"));  // overlong
  EXPECT_EQ(ChapterCheck::Printable("a\xFF" "b\n"), "a?b?");
  EXPECT_EQ(ChapterCheck::Seconds(3'600'007), "3600.007");
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
      {"first not at 0",
       [](FakeMovie& m) {
         m.tracks[2].emptyEdit = 44100;
         m.tracks[2].durations = {45000, 270000, 360000};
         (*m.chpl)[0].first = 10'000'000;
       },
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
       [](FakeMovie& m) {
         m.tracks[2].samples[0] = TextSample("Intro\xE9");
         (*m.chpl)[0].second = "Intro\xE9";
       },
       {"chapter track 3: the title of chapter 1 is neither UTF-8 nor UTF-16 with a byte-order mark",
        "the 'chpl' list: the title of chapter 1 is neither UTF-8 nor UTF-16 with a byte-order mark"}},
      {"UTF-16 title", [](FakeMovie& m) { m.tracks[2].samples[2] = TextSample(std::string("\xFE\xFF\0E\0n\0d\0e", 10)); },
       {}},
      {"two lists", [](FakeMovie& m) { m.tracks[1].chap = {{3}}; }, {"several 'chap' lists (tracks 1, 2)"}},
      {"two titled",
       [](FakeMovie& m) {
         m.tracks.push_back(m.tracks[2]);
         m.tracks.back().id = 5;
         m.tracks[0].chap = {{3, 2, 5}};
       },
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
       [](FakeMovie& m) {
         m.scale = 600'000'000;
         m.duration = 5'400'000'000 % (std::uint64_t(1) << 32);
       },
       {"the 'mvhd' duration wrapped at 32 bits"}},
      {"mvhd wide", [](FakeMovie& m) { m.scale = 600'000'000, m.duration = 5'400'000'000, m.wideHeader = true; }, {}},
      {"chpl past 32 bits",
       [](FakeMovie& m) {
         m.scale = 600'000'000, m.duration = 5'400'000'000, m.wideHeader = true;
         (*m.chpl)[2].first = 75'000'000;  // 7.5 s: 4.5e9 at this time scale
         m.tracks[2].durations = {135000, 540000, 135000};
       },
       {"the 'chpl' list: chapter 3 starts past 32 bits of the movie's time scale"}},
  };
  for (const Case& c : cases) {
    FakeMovie m = CleanMovie();
    c.change(m);
    EXPECT_EQ(WarningsOf(m), c.expected) << c.name;
  }
}

TEST(ChapterCheck, MoreThan255Chapters) {
  FakeMovie m = CleanMovie();
  m.chpl.reset();
  FakeTrack& chapters = m.tracks[2];
  chapters.durations.assign(300, 300 * 9);
  chapters.samples.assign(300, TextSample("C"));
  EXPECT_EQ(WarningsOf(m), std::vector<std::string>{"chapter track 3: 300 chapters, more than 255"});
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
