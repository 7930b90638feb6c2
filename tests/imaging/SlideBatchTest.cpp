// The slides of a build prepared side by side: the same pictures, in the
// same order, with the same messages, whatever the number of threads.
#include <gtest/gtest.h>

#include <thread>

#include "SlideImages.h"
#include "TestSupport.h"
#include "imaging/ImageResizeCopy.h"
#include "imaging/SlideBatch.h"
#include "platform/helper/FileSystem.h"

namespace {
struct Made {
  std::vector<PreparedSlide> slides;
  std::vector<std::string> bytes;  // of each slide's file, "" when none
};

Made PrepareAll(const std::vector<SlideJob>& jobs, int threads, const std::string& folder) {
  Made made;
  testing::internal::CaptureStderr();
  made.slides = SlideBatch(SlidePreparer(SlideSettings{.intScaleFactor = 3, .keepFinalImages = true,
                                                       .baseFolder = folder}),
                           threads)
                    .Prepare(jobs);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "messages are handed back, not printed";
  for (const PreparedSlide& s : made.slides) made.bytes.push_back(s.ok ? ReadFile(s.file) : std::string());
  return made;
}
}  // namespace

TEST(SlideBatch, OneThreadOrTwoMakeTheSameSlidesInTheJobsOrder) {
  TempDir dir, one, two;
  const std::string jpeg = SaveImage(Gradient(900, 600).get(), dir.Path("photo.jpg"), FIF_JPEG);
  const std::string png = SaveImage(Gradient(300, 500).get(), dir.Path("portrait.png"));
  const std::string broken = dir.Write("broken.jpg", ReadFile(jpeg).substr(0, 40));
  TitleList titles;
  MediaFormat format;
  format.Set("fontsize", "14");
  format.Set("textbackground", "0 0 80");
  titles.Add("Slide title", format);
  format.Set("textbox", "5 5 -1 -1");
  titles.Add("boxed", format);

  std::vector<SlideJob> jobs;
  for (int i = 0; i < 9; ++i) {
    const std::string inputs[] = {jpeg, png, broken, ""};
    jobs.push_back(SlideJob{.frameW = 240 + 8 * i, .frameH = 160, .colour = COLORREF(0x101010 * i),
                            .imageFile = inputs[i % 4], .outFormat = i % 2 ? FIF_PNG : FIF_JPEG,
                            .titles = i % 3 ? &titles : nullptr});
  }
  const Made single = PrepareAll(jobs, 1, one.path()), pair = PrepareAll(jobs, 2, two.path());
  ASSERT_EQ(pair.slides.size(), jobs.size());
  for (std::size_t i = 0; i < jobs.size(); ++i) {
    SCOPED_TRACE(i);
    const PreparedSlide &a = single.slides[i], &b = pair.slides[i];
    EXPECT_EQ(a.ok, jobs[i].imageFile != broken);
    EXPECT_EQ(b.ok, a.ok);
    EXPECT_EQ(b.replaced, a.replaced);
    EXPECT_EQ(b.messages, a.messages);
    EXPECT_EQ(pair.bytes[i], single.bytes[i]) << "byte for byte";
    if (!a.ok) {
      EXPECT_EQ(a.messages, "error load file: \"" + broken + "\"\n");
      continue;
    }
    EXPECT_EQ(a.messages, "");
    EXPECT_EQ(PathNamePart(b.file), two.path() + "/");
    const FiBitmap image = LoadImage(b.file);
    EXPECT_EQ(int(FreeImage_GetWidth(image.get())), jobs[i].frameW) << "each job keeps its own frame";
  }
  EXPECT_TRUE(SlideBatch(SlidePreparer({}), 2).Prepare({}).empty());
}

TEST(SlideBatch, EachThreadHasItsOwnLastError) {
  TempDir dir;
  const std::string photo = SaveImage(Gradient(40, 30).get(), dir.Path("p.png"));
  EXPECT_FALSE(ImageResizeCopy(photo, photo, true, RECT{0, 0, 10, 10}, true));
  const UString mine = ImageLastError();
  EXPECT_EQ(mine, "input and output file names are the same: \"" + photo + "\"\n");
  std::thread([&] {
    EXPECT_EQ(ImageLastError(), "");
    EXPECT_FALSE(ImageResizeCopy(dir.Path("none.png"), dir.Path("out.jpg"), false, RECT{0, 0, 10, 10}, true));
  }).join();
  EXPECT_EQ(ImageLastError(), mine);
}
