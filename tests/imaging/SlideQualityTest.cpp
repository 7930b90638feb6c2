// Slides made the fast way (a JPEG decoded reduced, resampled once, titles
// enlarged on their own boxes) against the whole-frame way they replace:
// close enough that nobody could tell, on photographs, drawings and the
// pixel-level patterns that alias first.
#include <gtest/gtest.h>

#include "SlideImages.h"
#include "TestSupport.h"
#include "imaging/SlidePreparer.h"
#include "platform/gdi/FitRect.h"
#include "platform/helper/FileSystem.h"

namespace {
constexpr COLORREF kBackground = 0x203040;
constexpr int kFrameW = 360, kFrameH = 240;

struct Picture {
  const char* name;
  const char* source;  // an ffmpeg filter graph
  int width, height;
  double leastDb;
};

std::string MakeJpeg(const TempDir& dir, const Picture& p) {
  const std::string file = dir.Path(std::string(p.name) + ".jpg");
  MustRun("ffmpeg -v error -f lavfi -i \"" + std::string(p.source) + "\" -frames:v 1 -q:v 2 -pix_fmt yuvj444p " +
          Quote(file));
  return file;
}

TitleList Titles() {
  TitleList titles;
  MediaFormat bottom;
  bottom.Set("fontsize", "15");
  titles.Add("A title over the picture", bottom);
  MediaFormat boxed;
  boxed.Set("textbox", "20 20 200 80");
  boxed.Set("formatflags", "wordbreak|center");
  boxed.Set("textbackground", "250 250 210");
  boxed.Set("textcolor", "10 10 10");
  titles.Add("in a box with its own background", boxed);
  return titles;
}

FiBitmap Slide(const std::string& input, const TitleList* titles, SlideSettings settings) {
  return SlideOf(input, kFrameW, kFrameH, kBackground, titles, std::move(settings));
}

// The picture as it was scaled before: decoded whole, one bicubic resample.
FiBitmap ScaledWhole(const std::string& input, const RECT& place) {
  const FiBitmap whole = LoadImage(input);
  return FiBitmap(FreeImage_Rescale(whole.get(), place.right - place.left, place.bottom - place.top, FILTER_BICUBIC),
                  &FreeImage_Unload);
}
}  // namespace

TEST(SlideQuality, FastSlidesLookLikeWholeFrameOnes) {
  TempDir dir, kept;
  // Sizes that reduce by 2 and by 4. All are 4:3, which the frame takes at
  // whole pixels also when enlarged four times; where the enlarged frame
  // puts the picture between two pixels, the whole-frame road shifts it by
  // that fraction, which alone costs a drawing some 10 dB.
  const Picture pictures[] = {
      {"fractal", "mandelbrot=size=1600x1200", 1600, 1200, 40},
      {"texture", "nullsrc=s=2560x1920,geq=lum='128+100*sin(X/37)*cos(Y/53)':cb='128+60*sin((X+Y)/91)':cr=128,"
                  "noise=alls=12:allf=u,gblur=sigma=3", 2560, 1920, 40},
      {"drawing", "testsrc2=size=2400x1800", 2400, 1800, 40},
      {"bars", "smptehdbars=size=1600x1200", 1600, 1200, 40},
      {"checks", "nullsrc=s=2560x1920,format=rgb24,geq=r='255*mod(X+Y,2)':g='255*mod(X+Y,2)':b=40", 2560, 1920, 32},
      {"lines", "nullsrc=s=1600x1200,format=rgb24,geq=r='200*mod(X,2)':g='30+190*mod(Y,2)':b='90+90*mod(X+Y,2)'", 1600,
       1200, 32},
      {"noise", "nullsrc=s=1600x1200,format=rgb24,geq=r='random(1)*255':g='random(2)*255':b='random(3)*255'", 1600,
       1200, 32},
  };
  const TitleList titles = Titles();
  for (const Picture& p : pictures) {
    SCOPED_TRACE(p.name);
    const std::string input = MakeJpeg(dir, p);
    const FiBitmap fast = Slide(input, &titles, SlideSettings{.intScaleFactor = 4});
    const FiBitmap whole = Slide(input, &titles, SlideSettings{.intScaleFactor = 4, .keepIntermediateImages = true,
                                                                .baseFolder = kept.path()});
    EXPECT_GT(Psnr(fast.get(), whole.get()), p.leastDb);

    const FiBitmap plain = Slide(input, nullptr, {});
    RECT place;
    FitRectInRect(place, RECT{0, 0, kFrameW, kFrameH}, RECT{0, 0, p.width, p.height}, 1.0);
    const FiBitmap inside(FreeImage_Copy(plain.get(), place.left, place.top, place.right, place.bottom),
                          &FreeImage_Unload);
    EXPECT_GT(Psnr(inside.get(), ScaledWhole(input, place).get()), p.leastDb);
    const COLORREF edge = place.left > 0 ? PixelAt(plain.get(), 0, kFrameH / 2) : PixelAt(plain.get(), kFrameW / 2, 0);
    EXPECT_EQ(edge, kBackground) << "centred on the background";
  }
}
