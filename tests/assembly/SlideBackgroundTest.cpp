#include <array>
#include <cstdlib>

#include "BuildFixture.h"

namespace {
using Rgb = std::array<int, 3>;

// The pixel ffmpeg decodes at (x, y) of the movie's first slide.
Rgb PixelAt(const std::string& movie, int width, int x, int y) {
  const std::string frame =
      ReaderSays("ffmpeg -v error -i " + Quote(movie) + " -map 0:v -frames:v 1 -f rawvideo -pix_fmt rgb24 -");
  const std::size_t at = (std::size_t(y) * width + x) * 3;
  if (frame.size() < at + 3) return Rgb{-1, -1, -1};
  return Rgb{(unsigned char)frame[at], (unsigned char)frame[at + 1], (unsigned char)frame[at + 2]};
}

void ExpectNear(const Rgb& seen, const Rgb& meant) {
  for (int c = 0; c < 3; ++c) EXPECT_NEAR(seen[c], meant[c], 6) << "channel " << c;
}
}  // namespace

// A picture with alpha, scaled and padded into the frame, lies over the
// background colour: through its clear third the background shows, through
// its half-clear third a mix, never the white hidden under them; its opaque
// third stays green. So in JPEG, which holds no alpha, and in PNG.
TEST(SlideBackground, APictureWithAlphaLiesOverTheBackgroundColour) {
  BuildFolder f;
  f.Tone("talk.m4a", 1, 24000);
  MustRun("ffmpeg -v error -f lavfi -i color=white:size=1200x900 -vf \"format=rgba,geq=r='255*lt(X,2*W/3)':g=255:"
          "b='255*lt(X,2*W/3)':a='if(lt(X,W/3),0,if(lt(X,2*W/3),128,255))'\" -frames:v 1 " +
          Quote(f.dir.Path("clear.png")));
  const Rgb background{200, 40, 90};
  const Rgb mix{(255 * 128 + 200 * 127) / 255, (255 * 128 + 40 * 127) / 255, (255 * 128 + 90 * 127) / 255};
  for (const std::string format : {"jpeg", "png"}) {
    SCOPED_TRACE(format);
    f.dir.Write("show.pod", "[podcast]\nbasename=show\naudiofile=talk.m4a\nimgwidth=400\nimgheight=240\n"
                            "backgroundColor=200 40 90\nqtimageformat=" + format + "\n[editpoint_1]\nimage=clear.png\n");
    const RunResult run = f.Tolva({"-q4", "show.pod"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const std::string movie = f.dir.Path("show.m4a");
    EXPECT_EQ(Probe(movie, "v:0", "stream=codec_name"), format == "jpeg" ? "mjpeg" : "png");
    // The 320 × 240 picture lies from x = 40 to 360 of the 400 × 240 frame.
    ExpectNear(PixelAt(movie, 400, 10, 120), background);
    ExpectNear(PixelAt(movie, 400, 90, 120), background);
    ExpectNear(PixelAt(movie, 400, 200, 60), mix);
    ExpectNear(PixelAt(movie, 400, 310, 200), Rgb{0, 255, 0});
  }
}
