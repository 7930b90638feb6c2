// The copy and resize behind the image commands, with its error texts.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "SlideImages.h"
#include "TestSupport.h"
#include "imaging/ImageResizeCopy.h"
#include "platform/helper/FileSystem.h"

TEST(ImageResizeCopy, CopiesScalesAndRefusesWithItsReasons) {
  TempDir dir;
  const std::string photo = SaveImage(Gradient(400, 300).get(), dir.Path("photo.png"));
  const RECT none{}, small{0, 0, 200, 200};

  EXPECT_TRUE(ImageResizeCopy(photo, dir.Path("copy.png"), false, none, true));
  EXPECT_EQ(ReadFile(dir.Path("copy.png")), ReadFile(photo));

  ASSERT_TRUE(ImageResizeCopy(photo, dir.Path("scaled.png"), false, small, true));
  EXPECT_EQ(FreeImage_GetFileType(dir.Path("scaled.png").c_str(), 0), FIF_JPEG) << "always a JPEG";
  EXPECT_EQ(ReaderSays("ffprobe -v error -show_entries stream=width,height -of csv=p=0 " + dir.Path("scaled.png")),
            "200,150\n");

  EXPECT_FALSE(ImageResizeCopy(photo, dir.Path("scaled.png"), false, small, true));
  EXPECT_EQ(ImageLastError(), "output file already exists: \"" + dir.Path("scaled.png") + "\"\n");
  EXPECT_TRUE(ImageResizeCopy(photo, dir.Path("scaled.png"), true, RECT{0, 0, 40, 40}, true));
  EXPECT_EQ(ReaderSays("ffprobe -v error -show_entries stream=width -of csv=p=0 " + dir.Path("scaled.png")), "40\n");

  EXPECT_FALSE(ImageResizeCopy(photo, photo, true, small, true));
  EXPECT_EQ(ImageLastError(), "input and output file names are the same: \"" + photo + "\"\n");

  const std::string text = dir.Write("notes.txt", "words");
  EXPECT_FALSE(ImageResizeCopy(text, dir.Path("notes.jpg"), false, small, true));
  EXPECT_EQ(ImageLastError(), "unable to open input file: \"" + text + "\"\n");
  EXPECT_FALSE(FileExists(dir.Path("notes.jpg")));

  CreatePath(dir.Path("locked"), false);
  chmod(dir.Path("locked").c_str(), 0500);
  if (geteuid() != 0) {  // root writes anywhere
    EXPECT_FALSE(ImageResizeCopy(photo, dir.Path("locked/x.jpg"), false, small, true));
    EXPECT_EQ(ImageLastError(), "unable to write output file: \"" + dir.Path("locked/x.jpg") + "\"\n");
  }
}
