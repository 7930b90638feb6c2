#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "platform/quicktime/MovieFileReader.h"
#include "platform/quicktime/TimeConversion.h"

namespace {
struct Probe {
  std::uint64_t frames = 0, durationTs = 0;
};

// What ffprobe says of one stream: frame count and presented duration in its time base.
Probe Probed(const std::string& path, int stream) {
  const std::string text = ReaderSays("ffprobe -v error -select_streams " + std::to_string(stream) +
                                      " -show_entries stream=nb_frames,duration_ts -of csv=p=0 " + Quote(path));
  Probe probe;
  std::sscanf(text.c_str(), "%lu,%lu", &probe.durationTs, &probe.frames);
  return probe;
}

std::uint64_t PresentedInMedia(const TrackRecord& track) {
  return std::uint64_t(ConvertTimeScale(std::int64_t(track.Duration()), track.movie.timeScale, track.media.timeScale));
}
}  // namespace

TEST(MovieFileReader, ReadsWhatFfmpegWrites) {
  TempDir dir;
  const auto [m4a, mov] = MakeFfmpegMovies(dir, 1);

  MovieRecord aac;
  ASSERT_EQ(MovieFileReader::Read(m4a, aac), noErr);
  ASSERT_EQ(aac.tracks.size(), 1u);
  const TrackRecord& sound = *aac.tracks[0];
  const Probe probe = Probed(m4a, 0);
  EXPECT_EQ(sound.media.type, Tag("soun"));
  EXPECT_EQ(sound.media.timeScale, 44100);
  EXPECT_EQ(sound.media.samples.SampleCount(), probe.frames);
  // the encoder's priming and padding are trimmed by the edit list, as ffprobe presents it
  ASSERT_EQ(sound.edits.size(), 1u);
  EXPECT_EQ(sound.edits[0].mediaTime, 1024);
  EXPECT_EQ(PresentedInMedia(sound), probe.durationTs);
  EXPECT_EQ(sound.media.Duration(), 1024 + probe.durationTs);  // the last frame is cut short
  ASSERT_EQ(sound.media.descriptions.size(), 1u);
  EXPECT_EQ(sound.media.dataRefs, std::vector<std::string>{m4a});

  MovieRecord mixed;
  ASSERT_EQ(MovieFileReader::Read(mov, mixed), noErr);
  ASSERT_EQ(mixed.tracks.size(), 2u);
  for (int i = 0; i < 2; ++i) {
    const MediaRecord& media = mixed.tracks[std::size_t(i)]->media;
    const Probe stream = Probed(mov, i);
    EXPECT_EQ(media.samples.SampleCount(), stream.frames) << i;
    EXPECT_EQ(media.Duration(), stream.durationTs) << i;
  }
  // PCM is one sample per frame: the table stays a few runs, not a size per sample
  const MediaRecord& pcm = mixed.tracks[1]->media.type == Tag("soun") ? mixed.tracks[1]->media : mixed.tracks[0]->media;
  EXPECT_EQ(pcm.samples.ConstantSize(), 2u);
  EXPECT_TRUE(pcm.samples.Sizes().empty());
}

TEST(MovieFileReader, RefusesWhatIsNotAWholeMovie) {
  TempDir dir;
  const std::string good = dir.Path("good.m4a");
  MustRun("ffmpeg -v error -f lavfi -i sine=duration=0.5 -c:a aac " + Quote(good));
  const std::string bytes = ReadFile(good);
  MovieRecord movie;
  EXPECT_EQ(MovieFileReader::Read(dir.Path("missing.m4a"), movie), fnfErr);
  EXPECT_EQ(MovieFileReader::Read(dir.path(), movie), fnfErr);
  EXPECT_EQ(MovieFileReader::Read(dir.Write("empty.m4a", ""), movie), noMovieFound);
  EXPECT_EQ(MovieFileReader::Read(dir.Write("cut.m4a", bytes.substr(0, bytes.find("moov") + 200)), movie), noMovieFound);
  EXPECT_EQ(MovieFileReader::Read(dir.Write("text.m4a", "RIFF....WAVEfmt just some words"), movie), noMovieFound);

  const std::string wav = dir.Path("tone.wav"), fragmented = dir.Path("frag.mp4");
  MustRun("sox -n -r 8000 -b 16 " + Quote(wav) + " synth 0.2 sine 300");
  EXPECT_EQ(MovieFileReader::Read(wav, movie), noMovieFound);
  MustRun("ffmpeg -v error -f lavfi -i sine=duration=1 -c:a aac -movflags frag_keyframe+empty_moov " +
          Quote(fragmented));
  EXPECT_EQ(MovieFileReader::Read(fragmented, movie), noMovieFound);

  // a first chunk that no sample-to-chunk run places: which samples lie where is anyone's guess
  std::string unplaced = bytes;
  const std::size_t stsc = unplaced.find("stsc");
  ASSERT_NE(stsc, std::string::npos);
  unplaced.replace(stsc + 12, 4, std::string("\0\0\0\2", 4));
  EXPECT_EQ(MovieFileReader::Read(dir.Write("unplaced.m4a", unplaced), movie), invalidSampleTable);
}

namespace {
// The movie read from `bytes`, which must read; its repairs in one line.
std::string RepairsOf(const TempDir& dir, const std::string& name, const std::string& bytes, MovieRecord& movie) {
  EXPECT_EQ(MovieFileReader::Read(dir.Write(name, bytes), movie), noErr) << name;
  std::string line;
  for (const std::string& repair : movie.repairs) line += repair + "; ";
  return line;
}
}  // namespace

TEST(MovieFileReader, ReadsDamagedFilesAsPlayersDoAndSaysWhatItMended) {
  TempDir dir;
  const std::string path = dir.Path("tone.m4a");
  // two sounds interleaved, so that each sample is a chunk of its own
  MustRun("ffmpeg -v error -f lavfi -i sine=duration=0.6:sample_rate=32000 -f lavfi -i sine=duration=0.6:frequency=700 "
          "-map 0 -map 1 -c:a aac " + Quote(path));
  const std::string bytes = ReadFile(path);
  MovieRecord clean;
  ASSERT_EQ(MovieFileReader::Read(path, clean), noErr);
  EXPECT_TRUE(clean.repairs.empty());
  const std::uint64_t samples = clean.tracks[0]->media.samples.SampleCount();
  const std::size_t moov = bytes.find("moov") - 4, stsz = bytes.find("stsz") - 4, stts = bytes.find("stts") - 4;
  ASSERT_GT(moov, bytes.find("mdat"));  // the movie atom comes last

  MovieRecord longMoov;  // its size runs 5 bytes past the end of the file
  std::string longer = bytes;
  PutBig32(longer, moov, Big32At(bytes, moov) + 5);
  EXPECT_NE(RepairsOf(dir, "long.m4a", longer, longMoov).find("'moov' runs 5 bytes past the end of the file"), std::string::npos);
  EXPECT_EQ(longMoov.tracks[0]->media.samples.SampleCount(), samples);

  MovieRecord cut;  // the user data at its end lost with the file's last bytes
  EXPECT_NE(RepairsOf(dir, "cut.m4a", bytes.substr(0, bytes.size() - 20), cut).find("'udta'"), std::string::npos);
  EXPECT_EQ(cut.tracks[0]->media.samples.SampleCount(), samples);

  MovieRecord moreSizes;  // 'stsz' counts three sizes it does not hold
  std::string counted = bytes;
  PutBig32(counted, stsz + 16, Big32At(bytes, stsz + 16) + 3);
  EXPECT_NE(RepairsOf(dir, "sizes.m4a", counted, moreSizes).find("'stsz' holds " + std::to_string(samples) + " of the " +
                                                                  std::to_string(samples + 3)),
            std::string::npos);
  EXPECT_EQ(moreSizes.tracks[0]->media.samples.SampleCount(), samples);

  MovieRecord fewerTimes;  // 'stts' times two samples fewer than there are: those it times are read
  std::string timed = bytes;
  PutBig32(timed, stts + 16, Big32At(bytes, stts + 16) - 2);
  EXPECT_NE(RepairsOf(dir, "times.m4a", timed, fewerTimes).find("the " + std::to_string(samples - 2) + " all of them hold"),
            std::string::npos);
  const SampleTable& kept = fewerTimes.tracks[0]->media.samples;
  EXPECT_EQ(kept.SampleCount(), samples - 2);
  EXPECT_LE(fewerTimes.tracks[0]->Duration(), clean.tracks[0]->Duration());
  // the chunks cut with them: every kept sample in its place, the last two gone
  std::uint64_t chunked = 0, keptBytes = 0, cleanBytes = 0;
  for (const SampleTable::Chunk& chunk : kept.Chunks()) chunked += chunk.sampleCount;
  EXPECT_EQ(chunked, samples - 2);
  ASSERT_EQ(kept.BytesOf(0, samples - 2, keptBytes), noErr);
  ASSERT_EQ(clean.tracks[0]->media.samples.BytesOf(0, samples - 2, cleanBytes), noErr);
  EXPECT_EQ(keptBytes, cleanBytes);

  MovieRecord twoUdta;  // a second 'udta' in the movie, its items read with the first one's
  std::string doubled = bytes;
  const std::size_t udta = bytes.rfind("udta") - 4;
  const std::string second = bytes.substr(udta, Big32At(bytes, udta));
  doubled += second;
  PutBig32(doubled, moov, Big32At(bytes, moov) + std::uint32_t(second.size()));
  EXPECT_NE(RepairsOf(dir, "udta.m4a", doubled, twoUdta).find("a second 'udta' in 'moov' was read with the first"),
            std::string::npos);
  EXPECT_EQ(twoUdta.userData.size(), 2 * clean.userData.size());

  // a faststart file cut short: the samples whose bytes are gone are left out
  const std::string fast = dir.Path("fast.m4a");
  MustRun("ffmpeg -v error -f lavfi -i sine=duration=0.6:sample_rate=32000 -c:a aac -movflags +faststart " + Quote(fast));
  const std::string fastBytes = ReadFile(fast);
  MovieRecord shortened;
  const std::string said = RepairsOf(dir, "short.m4a", fastBytes.substr(0, fastBytes.size() - 2000), shortened);
  EXPECT_NE(said.find("'mdat' runs 2000 bytes past the end of the file"), std::string::npos) << said;
  EXPECT_NE(said.find("samples lie past the end of the file"), std::string::npos) << said;
  const TrackRecord& track = *shortened.tracks[0];
  EXPECT_LT(track.media.samples.SampleCount(), samples);
  std::uint64_t last = 0;
  track.media.samples.ForEachSpan(UINT64_MAX, [&](const SampleTable::Span& span) {
    last = std::max(last, span.offset + span.bytes);
    return true;
  });
  EXPECT_LE(last, fastBytes.size() - 2000);  // never longer than its bytes
  EXPECT_LE(ConvertTimeScale(std::int64_t(track.Duration()), shortened.timeScale, track.media.timeScale),
            std::int64_t(track.media.Duration()));
}
