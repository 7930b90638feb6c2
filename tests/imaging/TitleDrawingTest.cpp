// Titles drawn onto slides: where each position and box puts the text, and
// how the slides look, against golden images reviewed by eye.
#include <gtest/gtest.h>

#include "SlideImages.h"
#include "TestSupport.h"
#include "imaging/ImageFiles.h"
#include "imaging/SlidePreparer.h"
#include "imaging/TitleDrawing.h"
#include "platform/helper/FileSystem.h"

namespace {
constexpr COLORREF kBlack = 0x000000;

MediaFormat Format(std::initializer_list<std::pair<const char*, const char*>> directives) {
  MediaFormat format;
  for (const auto& [name, value] : directives) format.Set(name, value);
  return format;
}

FiBitmap Titled(const TitleList& titles, FiBitmap base, double scale = 1) {
  DeviceBitmap bitmap(BitmapFromImage(base.get()), &DeleteObject);
  EXPECT_TRUE(bitmap);
  DrawTitles(titles, bitmap.get(), scale);
  return ImageFromBitmap(bitmap.get());
}
}  // namespace

TEST(TitleDrawing, PositionsAndLinesLookRight) {
  TitleList positions;
  positions.Add("bottom, centred", Format({{"textposition", ""}}));
  positions.Add("middle", Format({{"textposition", "m"}, {"fontsize", "20"}}));
  positions.Add("top", Format({{"textposition", "u"}, {"textcolor", "255 255 0"}}));
  positions.Add("whole: top right", Format({{"textposition", "w"}, {"formatflags", "right"}, {"fontsize", "9"}}));
  ExpectGolden(Titled(positions, Gradient(320, 180)).get(), "positions");

  TitleList lines;
  lines.Add("first line, left", Format({{"textposition", "1"}, {"textbackground", "0 0 0"}}));
  lines.Add("second line, centred", Format({{"textposition", "2"}, {"formatflags", "center"},
                                            {"textbackground", "128 0 0"}}));
  lines.Add("third line, right", Format({{"textposition", "3"}, {"formatflags", "right"}, {"textcolor", "0 0 0"}}));
  ExpectGolden(Titled(lines, Gradient(320, 180)).get(), "lines");
}

TEST(TitleDrawing, BoxesFlagsAndFontsLookRight) {
  TitleList boxes;
  boxes.Add("A box with word breaks that wraps its text over several lines",
            Format({{"textbox", "10 10 150 100"}, {"formatflags", "wordbreak|center"}, {"textcolor", "0 0 0"},
                    {"textbackground", "255 255 160"}}));
  boxes.Add("to the end", Format({{"textbox", "170 120 -1 -1"}, {"formatflags", "right"}}));
  boxes.Add("from the corner on", Format({{"textbox", "170 20 -2 0"}, {"textcolor", "0 0 255"}}));
  ExpectGolden(Titled(boxes, Gradient(320, 180)).get(), "boxes");

  TitleList flags;
  flags.Add("end ellipsis cuts this long line", Format({{"textbox", "5 5 150 25"}, {"formatflags", "end_ellipsis"}}));
  flags.Add("/path/ellipsis/keeps/the/name.jpg",
            Format({{"textbox", "5 30 150 50"}, {"formatflags", "path_ellipsis"}}));
  flags.Add("&File and &&", Format({{"textbox", "5 55 150 75"}}));
  flags.Add("&File and &&", Format({{"textbox", "160 55 315 75"}, {"formatflags", "noprefix"}}));
  flags.Add("tab\tstops\there", Format({{"textbox", "5 80 315 100"}, {"formatflags", "expandtabs"}}));
  flags.Add("right to left!", Format({{"textbox", "5 105 150 125"}, {"formatflags", "rtlreading"}}));
  flags.Add("no clip spills out", Format({{"textbox", "160 105 190 110"}, {"formatflags", "noclip"}}));
  flags.Add("clipped away", Format({{"textbox", "160 130 190 135"}}));
  flags.Add("vcentre", Format({{"textbox", "160 5 315 50"}, {"formatflags", "vcenter|singleline|center"},
                               {"textbackground", "0 0 0"}}));
  ExpectGolden(Titled(flags, Gradient(320, 180)).get(), "flags");

  TitleList fonts;
  fonts.Add("Times New Roman", Format({{"font", "Times New Roman"}, {"fontsize", "18"}, {"textposition", "u"}}));
  fonts.Add("Courier New", Format({{"font", "Courier New"}, {"fontsize", "16"}, {"textposition", "m"},
                                   {"textcolor", "255 0 0"}}));
  fonts.Add("No Such Font falls back", Format({{"font", "No Such Font"}, {"fontsize", "14"}}));
  ExpectGolden(Titled(fonts, Gradient(320, 180)).get(), "fonts");
}

TEST(TitleDrawing, PlacesTextWhereTheFormatSays) {
  TitleList bottom;
  bottom.Add("Title", Format({{"textposition", ""}}));
  const FiBitmap drawn = Titled(bottom, Solid(640, 480, 24, kBlack));
  const RECT ink = InkBounds(drawn.get(), kBlack);
  EXPECT_LE(ink.bottom, 479);
  EXPECT_GE(ink.bottom, 470);  // the line's bottom edge is the last row; only the descent lies below the ink
  EXPECT_LE(std::abs(ink.left - (639 - ink.right)), 2);

  TitleList box;
  box.Add("Box", Format({{"textbox", "10 10 -1 -1"}}));
  const RECT once = InkBounds(Titled(box, Solid(320, 180, 24, kBlack), 1).get(), kBlack);
  const RECT twice = InkBounds(Titled(box, Solid(640, 360, 24, kBlack), 2).get(), kBlack);
  EXPECT_GE(twice.left, 20);
  EXPECT_GE(twice.top, 20);
  EXPECT_LE(twice.left, 26);
  EXPECT_NEAR(double(twice.bottom - twice.top), 2.0 * (once.bottom - once.top), 3.0);  // the font scales too
}

TEST(TitleDrawing, OversampledSlideLooksRight) {
  TempDir dir;
  const std::string photo = SaveImage(Gradient(400, 300).get(), dir.Path("photo.jpg"), FIF_JPEG);
  TitleList titles;
  titles.Add("Drawn three times larger", Format({{"textposition", "m"}, {"fontsize", "16"}}));
  const auto prepare = [&](bool keep) {
    return SlideOf(photo, 320, 180, 0x202020, &titles,
                   {.intScaleFactor = 3, .keepIntermediateImages = keep, .baseFolder = dir.path()});
  };
  const FiBitmap fast = prepare(false);
  ExpectGolden(fast.get(), "oversampled");
  StdStringList scaled;
  EXPECT_EQ(ExpandWild(dir.Path("iw_scaled*.png"), scaled), -1) << "only the whole-frame road leaves one";

  const FiBitmap whole = prepare(true);
  ASSERT_EQ(ExpandWild(dir.Path("iw_scaled*.png"), scaled), 1);
  EXPECT_EQ(FfprobeSays(scaled[0], "stream=width,height"), "960,540\n");
  EXPECT_GT(Psnr(fast.get(), whole.get()), 40);
}

// Titles enlarged on their own boxes against the same titles on the whole
// enlarged frame: text that spills out of its box, titles over each other,
// titles cut by the frame's edge, the whole frame as the box, and pictures
// with transparency.
TEST(TitleDrawing, TitlesOnTheirOwnBoxesLookLikeOnTheWholeFrame) {
  TempDir dir, kept;
  const std::string photo = SaveImage(Gradient(640, 360).get(), dir.Path("photo.png"));
  FiBitmap rgba(FreeImage_ConvertTo32Bits(Gradient(640, 360).get()), &FreeImage_Unload);
  for (unsigned y = 0; y < 360; ++y) {
    BYTE* row = FreeImage_GetScanLine(rgba.get(), int(y));
    for (unsigned x = 0; x < 640; ++x) row[x * 4 + FI_RGBA_ALPHA] = BYTE(x * 255 / 639);
  }
  const std::string clear = SaveImage(rgba.get(), dir.Path("clear.png"));
  std::vector<TitleList> lists(5);
  lists[0].Add("no clip spills far out of its box", Format({{"textbox", "20 20 40 30"}, {"formatflags", "noclip"}}));
  lists[1].Add("Underneath, the first", Format({{"textposition", "m"}, {"fontsize", "24"},
                                                 {"textbackground", "0 0 90"}}));
  lists[1].Add("over it", Format({{"textposition", "m"}, {"fontsize", "18"}, {"textcolor", "255 200 0"}}));
  lists[1].Add("apart, at the top", Format({{"textposition", "u"}}));
  lists[2].Add("cut by the right edge of the frame", Format({{"textbox", "250 100 -2 0"}, {"fontsize", "20"}}));
  lists[2].Add("and the bottom", Format({{"textbox", "10 170 200 400"}, {"fontsize", "20"}, {"formatflags", "noclip"}}));
  lists[3].Add("the whole frame is the box", Format({{"textposition", "w"}, {"formatflags", "right|bottom|singleline"}}));
  lists[3].Add("", Format({{"textposition", "u"}, {"textbackground", "0 0 0"}}));
  lists[4].Add("&Prefix and\ttab", Format({{"textposition", "2"}, {"formatflags", "center|expandtabs"},
                                             {"fontsize", "22"}, {"textbackground", "90 0 0"}}));
  for (int filter : {FILTER_BICUBIC, FILTER_BOX, FILTER_LANCZOS3}) {
    for (std::size_t i = 0; i < lists.size(); ++i) {
      SCOPED_TRACE(std::to_string(filter) + " " + std::to_string(i));
      const std::string& input = i == 4 ? clear : photo;
      const auto prepare = [&](bool keep) {
        return SlideOf(input, 320, 180, 0x336699, &lists[i],
                       {.intScaleMethod = filter, .intScaleFactor = 4, .keepIntermediateImages = keep,
                        .baseFolder = kept.path()});
      };
      const FiBitmap fast = prepare(false), whole = prepare(true);
      EXPECT_EQ(FreeImage_GetBPP(fast.get()), FreeImage_GetBPP(whole.get()));
      EXPECT_GT(Psnr(fast.get(), whole.get()), 40);
      EXPECT_LE(CountDiffering(fast.get(), whole.get(), 48), 320 * 180 / 1000) << "no text missing or misplaced";
    }
  }
}
