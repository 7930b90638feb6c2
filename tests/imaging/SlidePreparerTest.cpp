// Slides from every kind of picture: scaled into the frame, centred on the
// background colour, saved as the readers expect.
#include <gtest/gtest.h>

#include "SlideImages.h"
#include "TestSupport.h"
#include "imaging/ImageFiles.h"
#include "imaging/SlidePreparer.h"
#include "platform/gdi/FitRect.h"
#include "platform/helper/FileSystem.h"

namespace {
constexpr COLORREF kBackground = 0x336699;

struct Slide {
  bool ok = false, replaced = false;
  UString file;
  FiBitmap image{nullptr, &FreeImage_Unload};
};

Slide Prepare(const std::string& input, int outFormat = FIF_PNG, int frameW = 320, int frameH = 180, int scaleW = 0,
              int scaleH = 0, SlideSettings settings = {}) {
  Slide s;
  s.file = input;
  s.ok = SlidePreparer(settings).PrepImage(frameW, frameH, scaleW, scaleH, kBackground, s.file, outFormat, s.replaced,
                                           1, 1, nullptr);
  if (s.ok) s.image = LoadImage(s.file);
  return s;
}

FiBitmap WithTransparentLeftHalf(FiBitmap picture) {
  FiBitmap rgba(FreeImage_ConvertTo32Bits(picture.get()), &FreeImage_Unload);
  for (unsigned y = 0; y < FreeImage_GetHeight(rgba.get()); ++y) {
    BYTE* row = FreeImage_GetScanLine(rgba.get(), int(y));
    for (unsigned x = 0; x < FreeImage_GetWidth(rgba.get()) / 2; ++x) row[x * 4 + FI_RGBA_ALPHA] = 0;
  }
  return rgba;
}
// A JPEG whose frame header claims width x height, far beyond its few real pixels.
std::string WithClaimedSize(std::string jpeg, std::uint16_t width, std::uint16_t height) {
  const std::size_t frame = jpeg.find("\xFF\xC0");
  if (frame == std::string::npos) return {};
  jpeg[frame + 5] = char(height >> 8), jpeg[frame + 6] = char(height);
  jpeg[frame + 7] = char(width >> 8), jpeg[frame + 8] = char(width);
  return jpeg;
}
}  // namespace

TEST(SlidePreparer, EveryKindOfPictureComesOutAtFrameSizeCentredOnTheBackground) {
  TempDir dir;
  const FiBitmap picture = Gradient(400, 300);
  FiBitmap grey(FreeImage_ConvertToGreyscale(picture.get()), &FreeImage_Unload);
  struct Case {
    std::string name;
    FiBitmap image;
    FREE_IMAGE_FORMAT format;
    int bpp;  // of the slide
  };
  std::vector<Case> cases;
  cases.push_back({"one-bit.png", FiBitmap(FreeImage_Threshold(picture.get(), 128), &FreeImage_Unload), FIF_PNG, 24});
  cases.push_back({"grey.png", FiBitmap(FreeImage_Clone(grey.get()), &FreeImage_Unload), FIF_PNG, 24});
  cases.push_back({"grey16.png", FiBitmap(FreeImage_ConvertToType(grey.get(), FIT_UINT16), &FreeImage_Unload), FIF_PNG,
                   24});
  cases.push_back({"palette.png", FiBitmap(FreeImage_ColorQuantize(picture.get(), FIQ_WUQUANT), &FreeImage_Unload),
                   FIF_PNG, 24});
  cases.push_back({"rgb565.bmp", FiBitmap(FreeImage_ConvertTo16Bits565(picture.get()), &FreeImage_Unload), FIF_BMP,
                   24});
  cases.push_back({"photo.jpg", FiBitmap(FreeImage_Clone(picture.get()), &FreeImage_Unload), FIF_JPEG, 24});
  cases.push_back({"alpha.png", WithTransparentLeftHalf(Gradient(400, 300)), FIF_PNG, 24});
  cases.push_back({"portrait.png", Gradient(90, 160), FIF_PNG, 24});
  cases.push_back({"one-pixel.png", Gradient(1, 1), FIF_PNG, 24});
  cases.push_back({"huge.png", Solid(8000, 8000, 8, 0), FIF_PNG, 24});
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Slide slide = Prepare(SaveImage(c.image.get(), dir.Path(c.name), c.format));
    ASSERT_TRUE(slide.ok);
    EXPECT_TRUE(slide.replaced);
    ASSERT_TRUE(slide.image);
    EXPECT_EQ(FreeImage_GetWidth(slide.image.get()), 320u);
    EXPECT_EQ(FreeImage_GetHeight(slide.image.get()), 180u);
    EXPECT_EQ(int(FreeImage_GetBPP(slide.image.get())), c.bpp);
    EXPECT_EQ(PixelAt(slide.image.get(), 0, 90), kBackground);  // none of them is wide enough to fill the frame
    EXPECT_EQ(PixelAt(slide.image.get(), 319, 90), kBackground);
    if (c.name == "alpha.png") {
      EXPECT_EQ(PixelAt(slide.image.get(), 60, 90), kBackground);  // its clear half
    }
    DeleteFileA(slide.file);
  }
  const Slide wide = Prepare(SaveImage(Gradient(400, 100).get(), dir.Path("wide.png")));
  EXPECT_EQ(PixelAt(wide.image.get(), 160, 0), kBackground);
  EXPECT_NE(PixelAt(wide.image.get(), 160, 90), kBackground);
  DeleteFileA(wide.file);
}

TEST(SlidePreparer, ScalesPadsOrLeavesAloneAsTheSizesSay) {
  TempDir dir;
  // 600 × 400 in 640 × 480: 640 × 427 from row 26, the odd pixel at the bottom.
  const Slide padded = Prepare(SaveImage(Gradient(600, 400).get(), dir.Path("a.png")), FIF_PNG, 640, 480);
  EXPECT_EQ(PixelAt(padded.image.get(), 320, 25), kBackground);
  EXPECT_NE(PixelAt(padded.image.get(), 320, 26), kBackground);
  EXPECT_NE(PixelAt(padded.image.get(), 320, 452), kBackground);
  EXPECT_EQ(PixelAt(padded.image.get(), 320, 453), kBackground);
  DeleteFileA(padded.file);

  const std::string exact = SaveImage(Gradient(320, 180).get(), dir.Path("exact.png"));
  const Slide untouched = Prepare(exact);
  EXPECT_TRUE(untouched.ok);
  EXPECT_FALSE(untouched.replaced);
  EXPECT_EQ(untouched.file, exact);

  const Slide converted = Prepare(exact, FIF_JPEG);
  EXPECT_TRUE(converted.replaced);
  EXPECT_EQ(FileExtPart(converted.file), "jpg");
  EXPECT_EQ(ReaderSays("ffprobe -v error -show_entries stream=codec_name,width,height -of csv=p=0 " +
                       Quote(converted.file)),
            "mjpeg,320,180\n");
  DeleteFileA(converted.file);

  const Slide larger = Prepare(exact, FIF_PNG, 320, 180, 640, 360);
  EXPECT_EQ(ReaderSays("ffprobe -v error -show_entries stream=codec_name,width,height -of csv=p=0 " +
                       Quote(larger.file)),
            "png,640,360\n");
  DeleteFileA(larger.file);
}

TEST(SlidePreparer, MissingUnknownAndBrokenPicturesNeverCrash) {
  TempDir dir;
  const std::string text = dir.Write("notes.txt", "not a picture");
  for (const std::string& input : {std::string(), dir.Path("missing.jpg"), text}) {
    const Slide plain = Prepare(input);
    ASSERT_TRUE(plain.ok) << input;
    EXPECT_TRUE(plain.replaced);
    EXPECT_EQ(InkBounds(plain.image.get(), kBackground).right, -1) << "a plain frame";
    DeleteFileA(plain.file);
  }
  const std::string jpeg = ReadFile(SaveImage(Gradient(200, 100).get(), dir.Path("good.jpg"), FIF_JPEG));
  const std::string png = ReadFile(SaveImage(Gradient(200, 100).get(), dir.Path("good.png")));
  const std::vector<std::pair<std::string, std::string>> broken{
      {"empty.jpg", ""},
      {"truncated.jpg", jpeg.substr(0, jpeg.size() / 2)},
      {"header.jpg", jpeg.substr(0, 4) + std::string(200, '\x7f')},
      {"truncated.png", png.substr(0, png.size() / 2)},
      {"header.png", png.substr(0, 8) + std::string(200, '\x7f')},
      {"signature.png", png.substr(0, 8)},
      {"giant.jpg", WithClaimedSize(jpeg, 60000, 50000)}};
  for (const auto& [name, bytes] : broken) {
    const Slide slide = Prepare(dir.Write(name, bytes));
    if (slide.ok && slide.replaced) {
      EXPECT_EQ(FreeImage_GetWidth(slide.image.get()), 320u) << name;
      DeleteFileA(slide.file);
    }
  }
}

TEST(SlidePreparer, KeepsFinalSlidesInTheBaseFolderOnlyWhenAsked) {
  TempDir dir, base;
  const std::string photo = SaveImage(Gradient(100, 100).get(), dir.Path("p.png"));
  const Slide kept = Prepare(photo, FIF_JPEG, 320, 180, 0, 0, SlideSettings{.keepFinalImages = true,
                                                                              .baseFolder = base.path()});
  EXPECT_EQ(PathNamePart(kept.file), base.path() + "/");
  EXPECT_EQ(FileNamePart(kept.file).substr(0, 7), "iw_temp");
  const Slide temporary = Prepare(photo);
  EXPECT_NE(PathNamePart(temporary.file), base.path() + "/");
  DeleteFileA(temporary.file);
}

TEST(ImageBitmap, FramesHoldTheDepthAndColourAsked) {
  ImageBitmapPtr frame;
  ASSERT_TRUE(MakeBackgroundFrame(frame, 4, 3, 32, 0x0000FF));
  EXPECT_EQ(PixelAt(frame->Dib(), 3, 2), 0x0000FFu);
  EXPECT_EQ(AlphaAt(frame->Dib(), 3, 2), 0u);
  EXPECT_FALSE(frame->Allocate(2, 2, 24)) << "a loaded image cannot be loaded again";
  ImageBitmap eight;
  ASSERT_TRUE(eight.Allocate(4, 4, 8));
  EXPECT_FALSE(eight.Fill(0x123456, 0)) << "only 24- and 32-bit images are filled";

  ImageBitmapPtr other;
  other = frame;
  EXPECT_TRUE(other.Owns());
  EXPECT_FALSE(frame.Owns());
  EXPECT_EQ(other.Get(), frame.Get());
}

TEST(ImageBitmap, JpegsAreDecodedReducedButFitByTheirOwnSize) {
  TempDir dir;
  const std::string jpeg = SaveImage(Gradient(1600, 1200).get(), dir.Path("wide.jpg"), FIF_JPEG);
  const std::string png = SaveImage(Gradient(1600, 1200).get(), dir.Path("wide.png"));
  const std::string portrait = SaveImage(Gradient(600, 1001).get(), dir.Path("tall.jpg"), FIF_JPEG);
  struct Case {
    std::string file;
    int fitW, fitH, decodedW, decodedH;
  };
  const Case cases[] = {{jpeg, 320, 240, 800, 600},  {jpeg, 200, 150, 400, 300}, {jpeg, 100, 75, 200, 150},
                        {jpeg, 50, 20, 200, 150},    {jpeg, 900, 900, 1600, 1200}, {jpeg, 0, 0, 1600, 1200},
                        {png, 100, 75, 1600, 1200},  {portrait, 160, 90, 150, 251}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file + " " + std::to_string(c.fitW));
    ImageBitmap image;
    ASSERT_TRUE(image.LoadToFit(c.file, c.fitW, c.fitH));
    EXPECT_EQ(image.Width(), c.decodedW);
    EXPECT_EQ(image.Height(), c.decodedH);
    EXPECT_EQ(image.FileWidth(), c.file == portrait ? 600 : 1600);
    if (c.fitW == 0) continue;
    const auto scaled = image.ScaleToSize(c.fitW, c.fitH, true, FILTER_BICUBIC);
    RECT fitted;
    FitRectInRect(fitted, RECT{0, 0, c.fitW, c.fitH}, RECT{0, 0, image.FileWidth(), image.FileHeight()}, 1.0);
    EXPECT_EQ(scaled->Width(), fitted.right - fitted.left);
    EXPECT_EQ(scaled->Height(), fitted.bottom - fitted.top);
  }
}
