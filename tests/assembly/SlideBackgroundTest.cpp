#include "BuildFixture.h"

// A picture with alpha, padded into the frame from x = 40 to 360, lies over the background in JPEG and PNG:
// through its clear and half-clear thirds the background shows, not the white hidden there.
TEST(SlideBackground, APictureWithAlphaLiesOverTheBackgroundColour) {
  BuildFolder f;
  f.Tone("talk.m4a", 1, 24000);
  MustRun("ffmpeg -v error -f lavfi -i color=white:size=1200x900 -vf \"format=rgba,geq=r='255*lt(X,2*W/3)':g=255:"
          "b='255*lt(X,2*W/3)':a='if(lt(X,W/3),0,if(lt(X,2*W/3),128,255))'\" -frames:v 1 " +
          Quote(f.dir.Path("clear.png")));
  const int seen[][5] = {{10, 120, 200, 40, 90}, {90, 120, 200, 40, 90}, {200, 60, 228, 148, 173},
                         {310, 200, 0, 255, 0}};  // x, y, red, green, blue
  for (const std::string format : {"jpeg", "png"}) {
    f.dir.Write("show.pod", "[podcast]\nbasename=show\naudiofile=talk.m4a\nimgwidth=400\nimgheight=240\n"
                            "backgroundColor=200 40 90\nqtimageformat=" +
                                format + "\n[editpoint_1]\nimage=clear.png\n");
    const RunResult run = f.Tolva({"-q4", "show.pod"});
    ASSERT_EQ(run.err, "");
    EXPECT_EQ(Probe(f.dir.Path("show.m4a"), "v:0", "stream=codec_name"), format == "jpeg" ? "mjpeg" : "png");
    const std::string frame = ReaderSays("ffmpeg -v error -i " + Quote(f.dir.Path("show.m4a")) +
                                         " -map 0:v -frames:v 1 -f rawvideo -pix_fmt rgb24 -");
    ASSERT_EQ(frame.size(), 400u * 240 * 3) << format;
    for (const auto& s : seen)
      for (int c = 0; c < 3; ++c)
        EXPECT_NEAR((unsigned char)frame[(s[1] * 400 + s[0]) * 3 + c], s[2 + c], 6) << format << " x " << s[0];
  }
}
