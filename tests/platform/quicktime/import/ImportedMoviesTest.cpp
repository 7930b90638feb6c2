#include <gtest/gtest.h>

#include <memory>

#include "TestSupport.h"
#include "../ToolboxTestSupport.h"
#include "platform/quicktime/Movies.h"

namespace {

// Opens an imported file as a movie and flattens it into `out`.
void FlattenImported(const std::string& in, const std::string& out) {
  const OwnedMovie movie = OpenMovie(in);
  ASSERT_NE(movie, nullptr) << in;
  FlattenTo(movie.get(), out);
}

}  // namespace

// The sample descriptions the importers write are what decoders expect: a
// movie made from an imported file decodes to exactly the source's sound.
TEST(ImportedMovies, DecodeLikeTheirSources) {
  TempDir dir;
  const std::string sine = " -f lavfi -i sine=frequency=400:duration=1.5 ";
  const std::vector<std::pair<std::string, std::string>> sources{
      {"u8.wav", "sox -n -b 8 -c 1 -r 8000 %s synth 1.5 sine 300"},
      {"s24.wav", "sox -n -b 24 -c 2 -r 48000 %s synth 1.5 sine 300"},
      {"f32.wav", "sox -n -e floating-point -b 32 -c 1 -r 96000 %s synth 1.5 sine 300"},
      {"rf64.wav", "ffmpeg -v error" + sine + "-ac 2 -c:a pcm_s16le -rf64 always %s"},
      {"s8.aiff", "sox -n -b 8 -c 2 -r 11025 %s synth 1.5 sine 300"},
      {"s24.aiff", "sox -n -b 24 -c 1 -r 44100 %s synth 1.5 sine 300"},
      {"bare.mp3", "ffmpeg -v error" + sine + "-c:a libmp3lame -write_xing 0 -id3v2_version 0 %s"},
      {"mono.aac", "ffmpeg -v error" + sine + "-c:a aac -ar 22050 -f adts %s"}};
  ASSERT_EQ(InitializeQTML(0x40), noErr);
  ASSERT_EQ(EnterMovies(), noErr);
  for (const auto& [name, maker] : sources) {
    const std::string in = dir.Path(name), out = dir.Path(name + ".mov");
    std::string command = maker;
    command.replace(command.find("%s"), 2, Quote(in));
    MustRun(command);
    FlattenImported(in, out);
    const std::string expected = AudioMd5(in);
    ASSERT_FALSE(expected.empty()) << name;
    EXPECT_EQ(AudioMd5(out), expected) << name;
  }
  ExitMovies();
}
