#include <random>

#include "PodFixture.h"

TEST(BadInput, FilesThatAreNoProject) {
  TempDir dir;
  dir.Write("folder.pod/x", "");
  for (const char* name : {"gone.pod", "folder.pod"}) {
    PodProject project(600);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(project.Load(name, dir.path()));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "pod file " + dir.Path(name) + " does not exist\n");
  }
  const LoadedPod empty = LoadPod(dir, "");
  EXPECT_FALSE(empty.ok);
  EXPECT_EQ(empty.err, "\"basename\" entry in [podcast] in file " + dir.Path("show.pod") + " is missing\n");

  std::mt19937 random(5);
  std::string noise(1 << 20, '\0');
  for (char& c : noise) c = char(random());
  EXPECT_EQ(LoadPod(dir, noise).err, empty.err);
  EXPECT_TRUE(LoadPod(dir, "[podcast]\nbasename=b\n[editpoint_1]\nchapter=c\n" + noise).ok);

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
    text += "[editpoint_" + std::to_string(n) + "]\noffset=0:0:1.0\nchapter=C" + std::to_string(n) + "\ntitle=T\n";
  const LoadedPod pod = LoadPod(dir, text);
  ASSERT_TRUE(pod.ok) << pod.err;
  EXPECT_EQ(pod.project->podCount, 10000);
  const auto chapters = pod.project->editPoints.MakeChapterList(600, 10000 * 600);
  ASSERT_EQ(chapters->size(), 10000u);
  EXPECT_EQ(chapters->back()->epStartTime, 9999 * 600);
  EXPECT_EQ(chapters->back()->epDuration, 600);

  std::string letters = "[podcast]\nbasename=b\n[editpoint_1]\nchapter=1\n";  // lettered sections run out of letters long before 10,000
  for (int k = 1; k < 10000; ++k) letters += "[editpoint_1" + std::string(1, char(0x60 + k % 64)) + "]\nchapter=x\n";
  EXPECT_TRUE(LoadPod(dir, letters).ok);
}
