#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "ToolboxTestSupport.h"
#include "platform/quicktime/Movies.h"

// Fields that the tools making our fixtures always fill the same way.

TEST(UnusualFields, AiffSoundDataAfterAnOffset) {
  TempDir dir;
  const std::string plain = dir.Path("plain.aiff"), out = dir.Path("copy.mov");
  MustRun("sox -n -r 22050 -c 2 -b 16 " + Quote(plain) + " synth 1.3 sine 400 sine 800");
  // the sound data begins 13 bytes into 'SSND' (after its offset and block size), behind filler
  std::string bytes = ReadFile(plain);
  const std::size_t ssnd = bytes.find("SSND");
  ASSERT_NE(ssnd, std::string::npos);
  ASSERT_EQ(Big32At(bytes, ssnd + 8), 0u);
  const std::string filler = "fillerfiller!";
  bytes.insert(ssnd + 16, filler);
  PutBig32(bytes, ssnd + 8, std::uint32_t(filler.size()));
  PutBig32(bytes, ssnd + 4, Big32At(bytes, ssnd + 4) + std::uint32_t(filler.size()));
  if (bytes.size() % 2 == 1) bytes += '\0';  // chunks keep even lengths
  PutBig32(bytes, 4, std::uint32_t(bytes.size() - 8));
  const std::string shifted = dir.Write("shifted.aiff", bytes);
  ASSERT_EQ(AudioMd5(shifted), AudioMd5(plain));  // ffmpeg reads the fixture as the plain file

  OwnedMovie movie = OpenMovie(shifted), work = NewWorkingMovie(dir.Path("work.mov"));
  ASSERT_TRUE(movie);
  Track sound = GetMovieIndTrack(movie.get(), 1);
  EXPECT_EQ(GetMediaPresentedDuration(GetTrackMedia(sound)), 28665);
  ASSERT_EQ(InsertTrackSegment(sound, EmptyCopy(sound, work.get()), 0, GetTrackDuration(sound), -1), noErr);
  FlattenTo(work.get(), out);
  EXPECT_EQ(AudioMd5(out), AudioMd5(plain));
}

TEST(UnusualFields, AdtsBitRatesOfAFileThatGetsQuiet) {
  TempDir dir, home;
  // two seconds of noise at 96 kb/s, then three of silence that cost almost nothing
  MustRun("ffmpeg -v error -f lavfi -i anoisesrc=d=2:r=44100:a=0.5,apad=pad_dur=3 -ac 1 -c:a aac -b:a 96k " +
          Quote(dir.Path("quiet.aac")));
  const RunResult r = RunTolva({"quiet.aac", "-fi2"}, dir.path(), home.path());
  ASSERT_EQ(r.status, 0) << r.err;
  const auto field = [&](const std::string& name) {
    const std::size_t at = r.out.find("\n    " + name + ":    ");
    EXPECT_NE(at, std::string::npos) << r.out;
    return at == std::string::npos ? -1.0 : std::stod(r.out.substr(at + name.size() + 10));
  };
  const double maxBits = field("maxBits"), avgBits = field("avgBits");
  // the average over the payloads that ffprobe counts (each frame less its 7-byte header)
  const double frames = std::stod(ReaderSays("ffprobe -v error -count_packets -show_entries stream=nb_read_packets "
                                             "-of csv=p=0 " + Quote(dir.Path("quiet.aac"))));
  const double payload = double(ReadFile(dir.Path("quiet.aac")).size()) - 7 * frames;
  EXPECT_NEAR(avgBits, payload * 8 / (frames * 1024 / 44100), 1.0);
  // the busiest second is the noise, at about the rate it was made with
  EXPECT_NEAR(maxBits, 96000, 9600);
}
