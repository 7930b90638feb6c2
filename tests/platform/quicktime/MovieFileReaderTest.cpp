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
  EXPECT_EQ(MovieFileReader::Read(dir.Write("cut.m4a", bytes.substr(0, bytes.size() - 100)), movie), noMovieFound);
  EXPECT_EQ(MovieFileReader::Read(dir.Write("text.m4a", "RIFF....WAVEfmt just some words"), movie), noMovieFound);

  const std::string wav = dir.Path("tone.wav"), fragmented = dir.Path("frag.mp4");
  MustRun("sox -n -r 8000 -b 16 " + Quote(wav) + " synth 0.2 sine 300");
  EXPECT_EQ(MovieFileReader::Read(wav, movie), noMovieFound);
  MustRun("ffmpeg -v error -f lavfi -i sine=duration=1 -c:a aac -movflags frag_keyframe+empty_moov " +
          Quote(fragmented));
  EXPECT_EQ(MovieFileReader::Read(fragmented, movie), noMovieFound);

  // a sample table whose sizes disagree with its times: the count in 'stsz' is off by one
  std::string broken = bytes;
  const std::size_t stsz = broken.find("stsz");
  ASSERT_NE(stsz, std::string::npos);
  broken[stsz + 15] = char(broken[stsz + 15] + 1);
  EXPECT_NE(MovieFileReader::Read(dir.Write("broken.m4a", broken), movie), noErr);
}
