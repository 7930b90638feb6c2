#include <sstream>

#include "BuildFixture.h"

namespace {
// "time_base,start" of every chapter, as ffprobe lists them.
std::vector<std::string> ChapterStarts(const std::string& file) {
  std::istringstream lines(FfprobeSays(file, "chapter=time_base,start"));
  std::vector<std::string> starts;
  for (std::string line; std::getline(lines, line);) starts.push_back(line);
  return starts;
}

std::string Section(int n, const std::string& keys) {
  return "[editpoint_" + std::to_string(n) + "]\n" + keys + "\n";
}
}  // namespace

// Parts of different lengths join without a gap or an overlap: every chapter
// starts on the sample its file begins at, and each file decodes as it did alone.
TEST(AudioBook, PartsJoinOnTheSampleAndDecodeAsTheyDidAlone) {
  BuildFolder f;
  const double seconds[] = {2.5, 1.7, 3.1};
  std::string pod = "[podcast]\nbasename=book\naudiobook=true\n";
  std::vector<std::string> parts;
  for (int i = 0; i < 3; ++i) {
    parts.push_back(f.Tone("part" + std::to_string(i) + ".m4a", seconds[i], 44100, 1, 300 + 150 * i));
    pod += Section(i + 1, "audiofile=part" + std::to_string(i) + ".m4a\nchapter=Teil " + std::to_string(i + 1));
  }
  pod += Section(4, "offset=0:0:1.0\nchapter=Zwischen");  // one second into the last file
  f.dir.Write("book.pod", pod);
  const RunResult run = f.Tolva({"-qb", "book.pod"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  for (const std::string& part : parts)
    EXPECT_NE(run.out.find("processing audio file \"" + part + "\"\n"), std::string::npos);

  const std::string out = f.dir.Path("book.m4b");
  std::int64_t at = 0, decodedAt = 0;
  std::vector<std::string> expected;
  for (const std::string& part : parts) {
    expected.push_back("1/44100," + std::to_string(at));
    const std::int64_t decoded = DecodedSamples(part);
    EXPECT_EQ(DecodedMd5(out, decodedAt, decoded), DecodedMd5(part)) << part;
    at += ProbeNumber(part, "a:0", "stream=duration_ts");
    decodedAt += decoded;
  }
  expected.push_back("1/44100," + std::to_string(at - ProbeNumber(parts[2], "a:0", "stream=duration_ts") + 44100));
  EXPECT_EQ(ChapterStarts(out), expected);
  EXPECT_EQ(ProbeNumber(out, "a:0", "stream=duration_ts"), at);
  EXPECT_EQ(Probe(out, "", "format_tags=major_brand"), "M4A ");
  EXPECT_EQ(DecodeErrors(out), "");
  EXPECT_EQ(f.Leftovers(), std::vector<std::string>());
}

// A part without chapter text keeps the chapter base of the last chaptered
// part: a later chapter's start counts from there, not from the unnamed part.
TEST(AudioBook, StartsCountFromTheLastChapteredPart) {
  BuildFolder f;
  f.Tone("a.m4a", 2.5, 44100);
  f.Tone("b.m4a", 1.7, 44100, 1, 600);
  f.dir.Write("book.pod", "[podcast]\nbasename=book\naudiobook=true\n" +
                              Section(1, "audiofile=a.m4a\nchapter=Eins") + Section(2, "audiofile=b.m4a") +
                              Section(3, "start=0:0:3.0\nchapter=Mitte"));
  const RunResult run = f.Tolva({"-qb", "book.pod"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "AudioBook construction warning: no chapter text for audio file entry \"" +
                         f.dir.Path("b.m4a") + "\"!\n");
  EXPECT_EQ(ChapterStarts(f.dir.Path("book.m4b")), (std::vector<std::string>{"1/44100,0", "1/44100,132300"}));
}

// Past 2^31 samples (13.5 hours at 44.1 kHz) every chapter still falls on its sample.
TEST(AudioBook, ABookLongerThanThirteenAndAHalfHoursKeepsEveryChapterExact) {
  BuildFolder f;
  MustRun("ffmpeg -v error -f lavfi -i anullsrc=r=44100:cl=mono -t 600 -b:a 12k -c:a aac -aac_pns 0 " +
          Quote(f.dir.Path("ten.m4a")));
  const int parts = 82;  // 13 h 40 min
  std::string pod = "[podcast]\nbasename=long\naudiobook=true\n";
  for (int i = 1; i <= parts; ++i) pod += Section(i, "audiofile=ten.m4a\nchapter=Kapitel " + std::to_string(i));
  f.dir.Write("long.pod", pod);
  const RunResult run = f.Tolva({"-qb", "long.pod"});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string out = f.dir.Path("long.m4b");
  const std::int64_t part = ProbeNumber(f.dir.Path("ten.m4a"), "a:0", "stream=duration_ts");
  EXPECT_EQ(ProbeNumber(out, "a:0", "stream=duration_ts"), parts * part);
  const std::vector<std::string> starts = ChapterStarts(out);
  ASSERT_EQ(starts.size(), std::size_t(parts));
  EXPECT_EQ(starts[40], "1/44100," + std::to_string(40 * part));
  EXPECT_EQ(starts[parts - 1], "1/44100," + std::to_string((parts - 1) * part));
  const std::string tail = ReaderSays("{ ffmpeg -v error -ss 49150 -i " + Quote(out) + " -map 0:a -f null - 2>&1; }");
  EXPECT_EQ(tail, "");
  EXPECT_EQ(f.Leftovers(), std::vector<std::string>());
}

// A book stops at its first bad section with the reason, and writes nothing.
TEST(AudioBook, BadSectionsStopTheBookWithTheirReason) {
  BuildFolder f;
  f.Tone("a.m4a", 1, 44100);
  f.Tone("low.m4a", 1, 22050);
  const std::string head = "[podcast]\nbasename=bad\naudiobook=true\n" + Section(1, "audiofile=a.m4a\nchapter=Eins");
  const struct {
    std::string sections, err;
  } cases[] = {
      {Section(2, "audiofile=low.m4a\nchapter=Zwei"),
       "  AudioBook construction error: sample rate different in file \"" + f.dir.Path("low.m4a") +
           "\"\n    sample rate is 22050, should be 44100\n"},
      {Section(2, "chapter=Ohne Zeit"), "  AudioBook construction error: EditPoint_2 has no start time or offset\n"},
      {Section(2, "audiofile=gone.m4a\nchapter=Fort"),
       "can not locate audio file \"gone.m4a\"\n"
       "AudioBook construction error: audio file \"gone.m4a\" can not be found!\n"},
  };
  for (const auto& c : cases) {
    f.dir.Write("bad.pod", head + c.sections);
    const RunResult run = f.Tolva({"-qb", "bad.pod"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, c.err);
    EXPECT_FALSE(std::filesystem::exists(f.dir.Path("bad.m4b")));
  }
  EXPECT_EQ(f.Leftovers(), std::vector<std::string>());
}

// AAC, MP3 and WAV parts of one rate: one sound track of three descriptions,
// every part at its own sample.
TEST(AudioBook, PartsOfThreeFormatsKeepTheirPlaces) {
  BuildFolder f;
  f.Tone("one.m4a", 1.5, 44100);
  MustRun("ffmpeg -v error -f lavfi -i sine=sample_rate=44100:duration=2 -c:a libmp3lame " +
          Quote(f.dir.Path("two.mp3")));
  MustRun("sox -n -r 44100 -b 16 -c 1 " + Quote(f.dir.Path("three.wav")) + " synth 1.25 sine 500");
  f.dir.Write("mixed.pod", "[podcast]\nbasename=mixed\naudiobook=true\n" +
                               Section(1, "audiofile=one.m4a\nchapter=AAC") +
                               Section(2, "audiofile=two.mp3\nchapter=MP3") +
                               Section(3, "audiofile=three.wav\nchapter=WAV"));
  const RunResult run = f.Tolva({"-qb", "mixed.pod"});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string out = f.dir.Path("mixed.m4b");
  const std::int64_t one = ProbeNumber(f.dir.Path("one.m4a"), "a:0", "stream=duration_ts");
  const std::int64_t two = 2 * 44100;  // what the MP3's encoder says is heard, without its delay and padding
  EXPECT_EQ(ChapterStarts(out), (std::vector<std::string>{"1/44100,0", "1/44100," + std::to_string(one),
                                                          "1/44100," + std::to_string(one + two)}));
  EXPECT_EQ(ProbeNumber(out, "a:0", "stream=duration_ts"), one + two + 55125);
}
