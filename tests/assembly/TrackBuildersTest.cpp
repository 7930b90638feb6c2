#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "TestSupport.h"
#include "assembly/QTGraphicsImporter.h"
#include "assembly/SlideTrackBuilder.h"
#include "imaging/SlideBatch.h"
#include "platform/helper/FileSystem.h"
#include "project/EditPointImage.h"

using testing::internal::CaptureStderr;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStderr;
using testing::internal::GetCapturedStdout;

namespace {
// Edit points that live as long as the list that points at them.
struct Entries {
  std::vector<std::unique_ptr<EditPoint>> owned;
  EPTrackList list{3};

  EditPointImage& Image(const std::string& file, std::int32_t duration) {
    auto entry = std::make_unique<EditPointImage>(1000, std::int32_t(owned.size()));
    entry->file = file;
    entry->epDuration = duration;
    EditPointImage& made = *entry;
    list.push_back(entry.get());
    owned.push_back(std::move(entry));
    return made;
  }
};

SlideTrackBuilder::PrepareSlides Preparer() {
  return [](const std::vector<SlideJob>& jobs) { return SlideBatch(SlidePreparer(SlideSettings{})).Prepare(jobs); };
}
}  // namespace

TEST(SlideTrackBuilder, OnePreparedPicturePerImageAtItsTimes) {
  TempDir dir;
  const std::string fits = dir.Path("fits.png"), photo = dir.Path("photo.jpg"), out = dir.Path("slides.mov");
  MustRun("ffmpeg -v error -f lavfi -i testsrc=size=320x180 -frames:v 1 " + Quote(fits));
  MustRun("ffmpeg -v error -f lavfi -i testsrc2=size=400x400 -frames:v 1 " + Quote(photo));
  Entries e;
  e.Image(fits, 2000);
  e.Image(dir.Write("notes.txt", "no picture here"), 700);  // passed over: later slides move up
  e.Image(photo, 1500);
  e.Image("", 500).titleCount = 1;

  QTMovie work;
  ASSERT_TRUE(work.CreateMovieFile(dir.Path("qtTemp")));
  work.SetTimeScale(1000);
  StdStringList tempFiles;
  SlideTrackBuilder slides(work, {.frameWidth = 320, .frameHeight = 180, .timeScale = 1000}, Preparer(), tempFiles);
  ASSERT_TRUE(slides.Build(e.list, nullptr));
  ASSERT_TRUE(slides.track);
  ASSERT_TRUE(work.FlattenMovieToFile(out));
  EXPECT_EQ(FfprobeSays(out, "stream=codec_name,width,height,nb_frames"), "png,320,180,3\n");
  EXPECT_EQ(FfprobeSays(out, "packet=pts_time,duration_time"),
            "0.000000,2.000000\n2.000000,1.500000\n3.500000,0.500000\n");
  // The fitting picture is used as it is; the photo and the plain frame are new files, to be deleted.
  EXPECT_EQ(tempFiles.size(), 2u);
  for (const auto& name : tempFiles) EXPECT_TRUE(FileExists(name)) << name;
  for (const auto& name : tempFiles) DeleteFileA(name);
  EXPECT_EQ(ReaderSays("ffmpeg -v error -i " + Quote(out) + " -frames:v 1 -f image2pipe -c:v pam - | md5sum"),
            ReaderSays("ffmpeg -v error -i " + Quote(fits) + " -f image2pipe -c:v pam - | md5sum"));
}

TEST(SlideTrackBuilder, OverCopiedVideoAndBadEntries) {
  TempDir dir;
  const FfmpegMovies movies = MakeFfmpegMovies(dir, 2);
  const std::string slide = dir.Path("slide.png"), out = dir.Path("over.mov");
  MustRun("ffmpeg -v error -f lavfi -i testsrc=size=64x48 -frames:v 1 " + Quote(slide));
  QTMovie source, work;
  ASSERT_TRUE(source.OpenExistingMovie(movies.mov));
  ASSERT_TRUE(work.CreateMovieFile(dir.Path("qtTemp")));
  std::unique_ptr<QTTrack> video(source.GetVideoTrack(0));
  std::unique_ptr<QTTrack> copy(work.AddTrackCopy(*video, true, 0, -1));
  ASSERT_TRUE(copy);
  StdStringList tempFiles;
  const SlideTrackSettings frame{.frameWidth = 64, .frameHeight = 48, .timeScale = 600};
  Entries good;
  good.Image(slide, 1200);
  SlideTrackBuilder over(work, frame, Preparer(), tempFiles);
  ASSERT_TRUE(over.Build(good.list, copy.get()));
  ASSERT_TRUE(work.FlattenMovieToFile(out));
  const std::string bytes = ReadFile(out);
  const std::size_t vmhd = bytes.rfind("vmhd");  // the slide track comes last
  ASSERT_NE(vmhd, std::string::npos);
  EXPECT_EQ(bytes.substr(vmhd + 8, 8), std::string("\x00\x24\0\0\0\0\0\0", 8));  // transparent over black
  EXPECT_EQ(FfprobeSays(out, "stream=index,codec_name", "v"), "0,mjpeg\n1,png\n");

  CaptureStderr();
  Entries missing;
  missing.Image(slide, 600);
  missing.Image(dir.Path("gone.png"), 600);
  SlideTrackBuilder stopped(work, frame, Preparer(), tempFiles);
  EXPECT_FALSE(stopped.Build(missing.list, nullptr));
  Entries untitled;
  untitled.Image(slide, 600);
  untitled.Image("", 600);
  SlideTrackBuilder empty(work, frame, Preparer(), tempFiles);
  EXPECT_FALSE(empty.Build(untitled.list, nullptr));
  Entries corrupt;
  corrupt.Image(dir.Write("broken.png", ReadFile(slide).substr(0, 60)), 600);
  SlideTrackBuilder broken(work, frame, Preparer(), tempFiles);
  EXPECT_FALSE(broken.Build(corrupt.list, nullptr));
  EXPECT_EQ(GetCapturedStderr().find("QTSlideshow::AddVideoTrack() file \"" + dir.Path("gone.png") +
                                     "\" does not exists\n"
                                     "QTSlideshow::AddVideoTrack() there is not image file or title text to process\n"),
            0u);
  EXPECT_TRUE(tempFiles.empty());  // nothing prepared for a track that stops early
  EXPECT_FALSE(stopped.track || empty.track || broken.track);  // no video track without pictures
  Entries unknown;
  unknown.Image(dir.Write("a.txt", "words"), 600);
  SlideTrackBuilder passedOver(work, frame, Preparer(), tempFiles);
  EXPECT_TRUE(passedOver.Build(unknown.list, nullptr));
  EXPECT_FALSE(passedOver.track);

  SlideTrackBuilder none(work, {.addImages = false, .frameWidth = 64, .frameHeight = 48}, Preparer(), tempFiles);
  EXPECT_TRUE(none.Build(good.list, nullptr));
  EXPECT_FALSE(none.track);
}

TEST(QTGraphicsImporter, OpensPicturesAndNamesWhatFailed) {
  TempDir dir;
  const std::string jpeg = dir.Path("p.jpg");
  MustRun("ffmpeg -v error -f lavfi -i testsrc=size=96x64 -frames:v 1 " + Quote(jpeg));
  QTGraphicsImporter importer;
  ASSERT_TRUE(importer.Open(jpeg));
  EXPECT_TRUE(importer.IsOpen());
  EXPECT_EQ(importer.path, jpeg);
  ASSERT_GE(importer.imageDescription.size(), 86u);
  std::int16_t width = 0, height = 0;
  std::memcpy(&width, importer.imageDescription.data() + 32, 2);
  std::memcpy(&height, importer.imageDescription.data() + 34, 2);
  EXPECT_EQ(width, 96);
  EXPECT_EQ(height, 64);

  CaptureStdout();
  QTGraphicsImporter missing, words;
  EXPECT_FALSE(missing.Open(dir.Path("none.jpg")));
  EXPECT_FALSE(words.Open(dir.Write("w.jpg", "words, not a picture")));
  EXPECT_FALSE(words.IsOpen());
  const std::string said = GetCapturedStdout();
  EXPECT_EQ(said.find("quicktime does not like the file path: (-43) " + dir.Path("none.jpg") + "\n"), 0u) << said;
  EXPECT_NE(said.find("could not get graphics importer for file ("), std::string::npos) << said;
}
