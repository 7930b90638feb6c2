// Our reduced JPEG decode against FreeImage's: the same pixels, size and
// resolution, or nothing, and then LoadToFit still loads the picture.
#include <gtest/gtest.h>

#include <cstring>

#include "SlideImages.h"
#include "TestSupport.h"
#include "imaging/JpegReducer.h"
#include "platform/helper/FileSystem.h"

namespace {
std::string BytesOf(const std::string& file) {
  std::string bytes;
  EXPECT_TRUE(ReadWholeFile(file, bytes));
  return bytes;
}

bool SamePixels(FIBITMAP* a, FIBITMAP* b) {
  const unsigned width = FreeImage_GetWidth(a), height = FreeImage_GetHeight(a);
  if (width != FreeImage_GetWidth(b) || height != FreeImage_GetHeight(b) || FreeImage_GetBPP(a) != 24) return false;
  for (unsigned y = 0; y < height; ++y) {
    if (std::memcmp(FreeImage_GetScanLine(a, int(y)), FreeImage_GetScanLine(b, int(y)), width * 3) != 0) return false;
  }
  return true;
}
}  // namespace

TEST(JpegReducer, DecodesAsFreeImageDoesOrLeavesItToFreeImage) {
  TempDir dir;
  // Rows and columns that differ, so that a flip or a swap of red and blue shows.
  FiBitmap picture = Gradient(1001, 777);
  FreeImage_SetDotsPerMeterX(picture.get(), 11811);
  FreeImage_SetDotsPerMeterY(picture.get(), 3937);
  const std::string colour = SaveImage(picture.get(), dir.Path("colour.jpg"), FIF_JPEG);
  struct Case {
    int keep, width, height;
  };
  // The most reduction whose rounded-up size still keeps the side; FreeImage
  // rounds down, so it is asked only where the two agree.
  for (const Case c : {Case{500, 501, 389}, Case{250, 251, 195}, Case{125, 126, 98}, Case{502, 1001, 777},
                       Case{501, 501, 389}, Case{126, 126, 98}, Case{127, 251, 195}}) {
    SCOPED_TRACE(c.keep);
    const FiBitmap ours = JpegReducer::Decode(BytesOf(colour), c.keep);
    ASSERT_TRUE(ours);
    EXPECT_EQ(FreeImage_GetWidth(ours.get()), unsigned(c.width));
    EXPECT_EQ(FreeImage_GetHeight(ours.get()), unsigned(c.height));
    if (c.keep % 125 != 0) continue;
    const FiBitmap theirs(FreeImage_Load(FIF_JPEG, colour.c_str(), c.keep << 16), &FreeImage_Unload);
    EXPECT_TRUE(SamePixels(ours.get(), theirs.get()));
    EXPECT_EQ(FreeImage_GetDotsPerMeterX(ours.get()), FreeImage_GetDotsPerMeterX(theirs.get()));
    EXPECT_EQ(FreeImage_GetDotsPerMeterY(ours.get()), FreeImage_GetDotsPerMeterY(theirs.get()));
  }

  const FiBitmap grey(FreeImage_ConvertToGreyscale(picture.get()), &FreeImage_Unload);
  const std::string greyFile = SaveImage(grey.get(), dir.Path("grey.jpg"), FIF_JPEG);
  const std::string whole = BytesOf(colour);
  const std::string cut = dir.Write("cut.jpg", whole.substr(0, whole.size() / 2));
  for (const std::string& file : {greyFile, cut}) {
    SCOPED_TRACE(file);
    EXPECT_FALSE(JpegReducer::Decode(BytesOf(file), 250));
    ImageBitmap image;
    ASSERT_TRUE(image.LoadToFit(file, 100, 100)) << "FreeImage loads it";
    EXPECT_EQ(image.Width(), 251);
    EXPECT_EQ(image.Bpp(), file == greyFile ? 8 : 24);
  }
  EXPECT_FALSE(JpegReducer::Decode("not a picture", 10));
}
