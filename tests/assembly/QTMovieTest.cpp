#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "TestSupport.h"
#include "assembly/QTMovie.h"

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

TEST(QTMovie, OpensFindsTracksAndReportsDurations) {
  TempDir dir;
  const std::string mov = dir.Path("clip.mov"), wav = dir.Path("voice.wav");
  MustRun("ffmpeg -v error -f lavfi -i testsrc=size=64x48:duration=2:rate=5 -f lavfi -i sine=duration=2 "
          "-c:v mjpeg -c:a aac " + Quote(mov));
  MustRun("sox -n -r 8000 -b 16 " + Quote(wav) + " synth 65.5 sine 300");
  QTMovie clip;
  ASSERT_TRUE(clip.OpenExistingMovie(mov));
  std::unique_ptr<QTTrack> sound(clip.GetSoundTrack(0)), video(clip.GetVideoTrack(0));
  ASSERT_TRUE(sound);
  ASSERT_TRUE(video);
  EXPECT_EQ(std::unique_ptr<QTTrack>(clip.GetSoundTrack(1)), nullptr);
  EXPECT_EQ(clip.CountVideoTracks(), 1);
  EXPECT_EQ(sound->media.mediaType, Tag("soun"));
  EXPECT_EQ(sound->media.SoundFormat(), "mp4a");
  EXPECT_EQ(video->media.SoundFormat(), "jpeg");
  EXPECT_EQ(FormatMediaDuration(sound->media.media), "00:00:02.00");  // as heard, not with the encoder's priming

  QTMovie voice;
  ASSERT_TRUE(voice.OpenExistingMovie(wav));
  std::unique_ptr<QTTrack> pcm(voice.GetSoundTrack(0));
  ASSERT_TRUE(pcm);
  EXPECT_EQ(pcm->media.SoundFormat(), "sowt");
  EXPECT_EQ(FormatMediaDuration(pcm->media.media), "00:01:05.4000");
  EXPECT_EQ(MediaDurationSeconds(pcm->media.media), 65);
  EXPECT_TRUE(voice.Close());
  EXPECT_EQ(voice.movie, nullptr);
  EXPECT_TRUE(voice.Close());

  CaptureStdout();
  QTMovie missing;
  EXPECT_FALSE(missing.OpenExistingMovie(dir.Path("gone.m4a")));
  QTMovie notMovie;
  EXPECT_FALSE(notMovie.OpenExistingMovie(dir.Write("notes.txt", "not a movie at all, just words")));
  EXPECT_EQ(GetCapturedStdout(), "quicktime does not like the file path: " + dir.Path("gone.m4a") +
                                     "\nNewMovieFromDataRef failed -2048\n");
}

TEST(QTMovie, BuildsAndFlattensOverAnExistingFile) {
  TempDir dir;
  const std::string m4a = dir.Path("talk.m4a"), out = dir.Path("show.m4a");
  MustRun("ffmpeg -v error -f lavfi -i sine=duration=5 -c:a aac " + Quote(m4a));
  dir.Write("show.m4a", "an earlier output");
  QTMovie source, work;
  ASSERT_TRUE(source.OpenExistingMovie(m4a));
  ASSERT_TRUE(work.CreateMovieFile(dir.Path("qtTemp1")));
  std::unique_ptr<QTTrack> sound(source.GetSoundTrack(0));
  const TimeScale scale = source.GetTimeScale();
  std::unique_ptr<QTTrack> copy(work.AddTrackCopy(*sound, true, 1 * scale, 3 * scale));
  ASSERT_TRUE(copy);
  std::unique_ptr<QTTrack> chapters(work.NewTextTrack(0, 0, 600));
  ASSERT_TRUE(chapters);
  EXPECT_NE(chapters->media.AddTextSample("One", 3, 3 * 600, nullptr), -1);
  ASSERT_EQ(chapters->InsertMedia(-1, 0, GetMediaDuration(chapters->media.media), fixed1), noErr);
  chapters->SetEnabled(false);
  ASSERT_EQ(AddTrackReference(copy->track, chapters->track, kTrackReferenceChapterList, nullptr), noErr);
  ASSERT_TRUE(work.FlattenMovieToFile(out));
  EXPECT_EQ(FfprobeSays(out, "stream=codec_name:format=duration"),
            "aac\nbin_data\n3.000000\n");  // a chapter track shows as data, as in ffmpeg's own files
  EXPECT_EQ(FfprobeSays(out, "chapter_tags=title"), "One\n");

  CaptureStdout();
  EXPECT_FALSE(work.FlattenMovieToFile(dir.Path("no/such/folder/out.m4a")));
  EXPECT_EQ(GetCapturedStdout(),
            "FlattenMovieToFile: quicktime does not like the file path: " + dir.Path("no/such/folder/out.m4a") + "\n");
}

TEST(QTMovie, ExportKeepsPcmSound) {
  TempDir dir;
  const std::string wav = dir.Path("tone.wav");
  MustRun("sox -n -r 16000 -b 16 " + Quote(wav) + " synth 1 sine 500");
  QTMovie movie;
  ASSERT_TRUE(movie.OpenExistingMovie(wav));
  CaptureStdout();
  EXPECT_TRUE(movie.ExportMpeg4(dir.Path("test.m4a"), nullptr));
  EXPECT_NE(GetCapturedStdout().find("  sub type:  mpg4\n"), std::string::npos);
  EXPECT_EQ(FfprobeSays(dir.Path("test.m4a"), "stream=codec_name,sample_rate,duration_ts"), "pcm_s16le,16000,16000\n");
}
