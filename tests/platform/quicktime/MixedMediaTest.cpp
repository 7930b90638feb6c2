#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "ToolboxTestSupport.h"
#include "platform/quicktime/Movies.h"
#include "platform/quicktime/model/MovieRecord.h"

// The paths a build takes that fixtures made by one tool rarely reach: more
// than one description in a media, movie and media clocks that differ.
namespace {
Track SoundOf(Movie movie) { return FirstTrackOf(movie, Tag("soun")); }

void AppendWhole(Track from, Track to) { ASSERT_EQ(InsertTrackSegment(from, to, 0, GetTrackDuration(from), -1), noErr); }

struct ChunkRead {
  std::uint32_t description;
  std::uint64_t offset, samples;
};

// The chunks of the sound track as our reader finds them in the file.
std::vector<ChunkRead> ChunksOf(const std::string& path) {
  OwnedMovie read = OpenMovie(path);
  std::vector<ChunkRead> chunks;
  for (const SampleTable::Chunk& chunk : SoundOf(read.get())->media.samples.Chunks())
    chunks.push_back({chunk.description, chunk.offset, chunk.sampleCount});
  return chunks;
}

// How many samples each run of chunks of one description holds, in file order.
std::vector<std::pair<std::uint32_t, std::uint64_t>> SamplesPerDescription(const std::string& path) {
  std::vector<std::pair<std::uint32_t, std::uint64_t>> runs;
  for (const ChunkRead& chunk : ChunksOf(path)) {
    if (runs.empty() || runs.back().first != chunk.description) runs.emplace_back(chunk.description, 0);
    runs.back().second += chunk.samples;
  }
  return runs;
}
}  // namespace

TEST(MixedMedia, ChunksOfEqualLengthKeepTheirOwnDescriptions) {
  TempDir dir;
  const std::string mono = dir.Path("mono.wav"), stereo = dir.Path("stereo.wav"), out = dir.Path("pcm.mov");
  MustRun("sox -n -r 32000 -c 1 -b 16 " + Quote(mono) + " synth 1.5 sine 300");
  MustRun("sox -n -r 32000 -c 2 -b 16 " + Quote(stereo) + " synth 2 sine 500 sine 700");
  OwnedMovie one = OpenMovie(mono), two = OpenMovie(stereo), work = NewWorkingMovie(dir.Path("work.mov"));
  Track joined = EmptyCopy(SoundOf(one.get()), work.get());
  SetMovieTimeScale(work.get(), 32000);
  AppendWhole(SoundOf(one.get()), joined);
  AppendWhole(SoundOf(two.get()), joined);
  AppendWhole(SoundOf(one.get()), joined);
  ASSERT_EQ(GetMediaSampleDescriptionCount(GetTrackMedia(joined)), 2);
  FlattenTo(work.get(), out);
  // every half-second chunk holds 16000 samples, mono or stereo: only the description tells them apart
  EXPECT_EQ(SamplesPerDescription(out),
            (std::vector<std::pair<std::uint32_t, std::uint64_t>>{{1, 48000}, {2, 64000}, {1, 48000}}));
  // each chunk's bytes are its own source's frames (2 bytes mono, 4 stereo), in order; ffmpeg cannot tell,
  // as it sizes every PCM chunk by the first description
  const std::string file = ReadFile(out);
  const std::string expected = ReaderSays("sox " + Quote(mono) + " -t raw - ; sox " + Quote(stereo) + " -t raw - ; sox " +
                                          Quote(mono) + " -t raw -");
  std::string found;
  for (const ChunkRead& chunk : ChunksOf(out))
    found += file.substr(std::size_t(chunk.offset), std::size_t(chunk.samples * (chunk.description == 1 ? 2 : 4)));
  EXPECT_EQ(found.size(), expected.size());
  EXPECT_TRUE(found == expected);
}

TEST(MixedMedia, AacAndMp3PartsOfOneBookStayApart) {
  TempDir dir;
  const std::string aac = dir.Path("part1.m4a"), mp3 = dir.Path("part2.mp3"), out = dir.Path("book.mov");
  MustRun("ffmpeg -v error -f lavfi -i sine=frequency=440:duration=3:sample_rate=44100 -c:a aac -b:a 96k " + Quote(aac));
  MustRun("ffmpeg -v error -f lavfi -i sine=frequency=660:duration=2:sample_rate=44100 -c:a libmp3lame -b:a 64k " +
          Quote(mp3));
  OwnedMovie first = OpenMovie(aac), second = OpenMovie(mp3), work = NewWorkingMovie(dir.Path("work.mov"));
  Track book = EmptyCopy(SoundOf(first.get()), work.get());
  SetMovieTimeScale(work.get(), 44100);
  AppendWhole(SoundOf(first.get()), book);
  AppendWhole(SoundOf(second.get()), book);
  FlattenTo(work.get(), out);
  const auto runs = SamplesPerDescription(out);
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].first, 1u);
  EXPECT_EQ(runs[1].first, 2u);
  // each part's packets are its source's packets (AAC frames of 1024, MP3 frames of 1152 samples)
  const auto packets = [](const std::string& path) {
    return std::stoull(ReaderSays("ffprobe -v error -count_packets -show_entries stream=nb_read_packets -of csv=p=0 " +
                                  Quote(path)));
  };
  EXPECT_EQ(runs[0].second, packets(aac));
  EXPECT_EQ(runs[1].second, packets(mp3));
}

TEST(MixedMedia, SegmentInsertedInsideAnEditOfAnotherClockSplitsItExactly) {
  TempDir dir;
  const std::string talk = dir.Path("talk.wav"), jingle = dir.Path("jingle.wav"), out = dir.Path("split.mov");
  MustRun("sox -n -r 44100 -c 1 -b 16 " + Quote(talk) + " synth 6 sine 300-900");
  MustRun("sox -n -r 44100 -c 1 -b 16 " + Quote(jingle) + " synth 1 square 1200 vol 0.2");
  OwnedMovie source = OpenMovie(talk), insert = OpenMovie(jingle), work = NewWorkingMovie(dir.Path("work.mov"));
  ASSERT_EQ(GetMovieTimeScale(work.get()), 600);
  Track track = EmptyCopy(SoundOf(source.get()), work.get());
  AppendWhole(SoundOf(source.get()), track);
  // 1234 of 600 is media time 90699 of 44100: not a whole second, and not the same number in both clocks
  ASSERT_EQ(InsertTrackSegment(SoundOf(insert.get()), track, 0, GetTrackDuration(SoundOf(insert.get())), 1234), noErr);
  EXPECT_EQ(GetTrackDuration(track), 3600 + 600);
  FlattenTo(work.get(), out);
  EXPECT_EQ(FfprobeSays(out, "stream=duration_ts"), "308700\n");
  // the edit list as ffmpeg reads it, in media units: the talk up to the split, the jingle, the rest of the talk
  EXPECT_EQ(ReaderSays("ffprobe -v trace " + Quote(out) + " 2>&1 | grep -o 'edit list [0-9] - media time: .*'"),
            "edit list 0 - media time: 0, duration: 90699\n"
            "edit list 1 - media time: 264600, duration: 44100\n"
            "edit list 2 - media time: 90699, duration: 173901\n");
}
