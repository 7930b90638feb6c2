#include <chrono>
#include <random>

#include "PodFixture.h"

TEST(BadInput, FilesThatAreNoProject) {
  TempDir dir;
  PodProject missing(600);
  testing::internal::CaptureStderr();
  EXPECT_FALSE(missing.Load("gone.pod", dir.path()));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "pod file " + dir.Path("gone.pod") + " does not exist\n");

  dir.Write("folder.pod/x", "");
  PodProject folder(600);
  testing::internal::CaptureStderr();
  EXPECT_FALSE(folder.Load("folder.pod", dir.path()));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "pod file " + dir.Path("folder.pod") + " does not exist\n");

  const LoadedPod empty = LoadPod(dir, "");
  EXPECT_FALSE(empty.ok);
  EXPECT_EQ(empty.err, "\"basename\" entry in [podcast] in file " + dir.Path("show.pod") + " is missing\n");

  std::mt19937 random(5);
  std::string noise(1 << 20, '\0');
  for (char& c : noise) c = char(random());
  const LoadedPod binary = LoadPod(dir, noise);
  EXPECT_FALSE(binary.ok);
  EXPECT_EQ(binary.err, empty.err);

  // Noise with a valid head still loads: whatever it holds is ignored or reported.
  const LoadedPod headed = LoadPod(dir, "[podcast]\nbasename=b\n[editpoint_1]\nchapter=c\n" + noise);
  EXPECT_TRUE(headed.ok);

  std::string huge = "[podcast]\nbasename=huge\n";
  huge.resize(100 << 20, ';');
  const LoadedPod big = LoadPod(dir, huge);
  EXPECT_FALSE(big.ok);
  EXPECT_EQ(big.err, "pod file " + dir.Path("show.pod") + " is too large to be a project (104857600 bytes)\n");
}

TEST(BadInput, TenThousandEditPoints) {
  TempDir dir;
  std::string text = "[podcast]\nbasename=many\n";
  for (int n = 1; n <= 10000; ++n)
    text += "[editpoint_" + std::to_string(n) + "]\noffset=0:0:1.0\nchapter=Chapter " + std::to_string(n) +
            "\ntitle=Slide " + std::to_string(n) + "\n";
  const LoadedPod pod = LoadPod(dir, text);
  ASSERT_TRUE(pod.ok) << pod.err;
  EXPECT_EQ(pod.project->podCount, 10000);
  const auto chapters = pod.project->editPoints.MakeChapterList(600, 10000 * 600);
  ASSERT_EQ(chapters->size(), 10000u);
  EXPECT_EQ(chapters->back()->epStartTime, 9999 * 600);
  EXPECT_EQ(chapters->back()->epDuration, 600);
  EXPECT_EQ(pod.project->editPoints.MakeImageList(600, 0)->size(), 10000u);

  // One section followed by ten thousand lettered ones: the letters run out long before.
  std::string letters = "[podcast]\nbasename=letters\n[editpoint_1]\nchapter=1\n";
  for (int k = 1; k < 10000; ++k) letters += "[editpoint_1" + std::string(1, char(0x60 + k % 64)) + "]\nchapter=x\n";
  EXPECT_TRUE(LoadPod(dir, letters).ok);
}
