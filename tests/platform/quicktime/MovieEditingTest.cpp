#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "TestSupport.h"
#include "ToolboxTestSupport.h"
#include "platform/quicktime/Movies.h"

namespace {
// A sound file that ffmpeg makes from `lavfiSource` and `codec`, opened as a movie.
OwnedMovie MadeByFfmpeg(const std::string& path, const std::string& lavfiSource, const std::string& codec) {
  MustRun("ffmpeg -v error -f lavfi -i " + lavfiSource + " " + codec + " " + Quote(path));
  return OpenMovie(path);
}

std::string Md5(const std::string& input) {
  return ReaderSays("ffmpeg -v error " + input + " -map 0:a -f md5 -");
}

std::string Probe(const std::string& path, const std::string& entries) {
  return FfprobeSays(path, "stream=" + entries, "a");
}
}  // namespace

TEST(MovieEditing, SegmentsOfPcmFilesJoinBitExact) {
  TempDir dir;
  const std::string one = dir.Path("one.wav"), two = dir.Path("two.wav"), out = dir.Path("joined.mov");
  MustRun("sox -n -r 22050 -c 2 -b 16 " + Quote(one) + " synth 3 sine 440");
  MustRun("sox -n -r 22050 -c 2 -b 16 " + Quote(two) + " synth 2 square 220 vol 0.3");
  OwnedMovie first = OpenMovie(one), second = OpenMovie(two), work = NewWorkingMovie(dir.Path("work.mov"));
  Track a = FirstTrackOf(first.get(), Tag("soun")), b = FirstTrackOf(second.get(), Tag("soun"));
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(GetMediaTimeScale(GetTrackMedia(a)), 22050);
  EXPECT_EQ(GetMediaPresentedDuration(GetTrackMedia(a)), 3 * 22050);

  Track joined = EmptyCopy(a, work.get());
  const TimeScale scale = GetMovieTimeScale(first.get());
  ASSERT_EQ(InsertTrackSegment(a, joined, 1 * scale, 1 * scale, -1), noErr);  // second 1 to 2 of the first file
  ASSERT_EQ(InsertTrackSegment(b, joined, 0, GetTrackDuration(b), -1), noErr);  // all of the second
  FlattenTo(work.get(), out);
  EXPECT_EQ(Probe(out, "codec_name,sample_rate,channels,duration_ts"), "pcm_s16le,22050,2,66150\n");
  EXPECT_EQ(Md5("-i " + Quote(out)),
            Md5("-ss 1 -t 1 -i " + Quote(one) + " -i " + Quote(two) + " -filter_complex [0:a][1:a]concat=v=0:a=1"));
  // both files became data references of the media, each named by its own description
  EXPECT_EQ(GetMediaSampleDescriptionCount(GetTrackMedia(joined)), 2);
  EXPECT_EQ(DecodeErrors(out), "");
}

TEST(MovieEditing, AacSegmentCutInsideSamplesKeepsExactTiming) {
  TempDir dir;
  const std::string out = dir.Path("cut.mov");
  OwnedMovie source = MadeByFfmpeg(dir.Path("tone.m4a"), "sine=frequency=500:duration=4", "-c:a aac");
  OwnedMovie work = NewWorkingMovie(dir.Path("work.mov"));
  Track sound = FirstTrackOf(source.get(), Tag("soun"));
  ASSERT_NE(sound, nullptr);
  SetMovieTimeScale(source.get(), 44100);  // so that the cut can fall between two samples' starts
  Track copy = EmptyCopy(sound, work.get());
  SetMovieTimeScale(work.get(), 44100);
  ASSERT_EQ(InsertTrackSegment(sound, copy, 1000, 44100, 0), noErr);
  FlattenTo(work.get(), out);
  // whole AAC frames are kept; the edit list presents exactly the 44100 samples asked for
  EXPECT_EQ(Probe(out, "duration_ts"), "44100\n");
  EXPECT_EQ(DecodeErrors(out), "");
  // media times 2024 to 46124 lie in frames 1 to 45 (of 1024 samples each); frame 0 comes along for the decoder
  EXPECT_EQ(Probe(out, "nb_frames"), "46\n");
}

TEST(MovieEditing, Mp3FilesJoinWithoutTheirEncodersDelayAndPadding) {
  TempDir dir;
  const std::string mp3 = dir.Path("talk.mp3"), out = dir.Path("joined.mov");
  OwnedMovie source = MadeByFfmpeg(mp3, "sine=duration=2.2:sample_rate=44100", "-c:a libmp3lame -b:a 64k");
  OwnedMovie work = NewWorkingMovie(dir.Path("work.mov"));
  Track sound = FirstTrackOf(source.get(), Tag("soun"));
  ASSERT_NE(sound, nullptr);
  // as long as what a gapless decoder gives, not the frames' length
  const std::string decoded = ReaderSays("ffmpeg -v error -i " + Quote(mp3) + " -f s16le -ac 1 - | wc -c");
  EXPECT_EQ(GetMediaPresentedDuration(GetTrackMedia(sound)), std::stoll(decoded) / 2);
  EXPECT_EQ(GetMediaPresentedDuration(GetTrackMedia(sound)), 97020);

  Track joined = EmptyCopy(sound, work.get());
  SetMovieTimeScale(work.get(), 44100);
  for (int i = 0; i < 2; ++i) ASSERT_EQ(InsertTrackSegment(sound, joined, 0, GetTrackDuration(sound), -1), noErr);
  FlattenTo(work.get(), out);
  EXPECT_EQ(Probe(out, "codec_name,duration_ts"), "mp3,194040\n");
  EXPECT_EQ(DecodeErrors(out), "");
}

std::vector<std::pair<short, Fixed>> progressSeen;
OSErr progressAnswer = noErr;

OSErr RecordProgress(Movie, short message, short operation, Fixed percent, long refCon) {
  EXPECT_EQ(operation, progressOpFlatten);
  EXPECT_EQ(refCon, 7);
  progressSeen.emplace_back(message, percent);
  return message == movieProgressUpdatePercent ? progressAnswer : OSErr(noErr);
}

TEST(MovieEditing, FlattenTellsItsProgressStopsWhenToldAndStampsItsDate) {
  TempDir dir;
  const std::string wav = dir.Path("tone.wav"), out = dir.Path("out.mov");
  MustRun("sox -n -r 8000 -c 1 -b 16 " + Quote(wav) + " synth 2 sine 440");
  setenv("SOURCE_DATE_EPOCH", "1700000000", 1);
  OwnedMovie source = OpenMovie(wav), work = NewWorkingMovie(dir.Path("work.mov"));
  unsetenv("SOURCE_DATE_EPOCH");
  Track sound = FirstTrackOf(source.get(), Tag("soun"));
  ASSERT_EQ(InsertTrackSegment(sound, EmptyCopy(sound, work.get()), 0, GetTrackDuration(sound), 0), noErr);
  SetMovieProgressProc(work.get(), RecordProgress, 7);
  FlattenTo(work.get(), out);
  ASSERT_GE(progressSeen.size(), 3u);
  EXPECT_EQ(progressSeen.front().first, movieProgressOpen);
  EXPECT_EQ(progressSeen.back().first, movieProgressClose);
  EXPECT_EQ(progressSeen[progressSeen.size() - 2], std::make_pair(movieProgressUpdatePercent, fixed1));
  EXPECT_EQ(FfprobeSays(out, "format_tags=creation_time"), "2023-11-14T22:13:20.000000Z\n");

  // a refusal stops the flatten, is closed all the same, and leaves the old file as it was
  progressSeen.clear();
  progressAnswer = -128;  // the user cancelled
  const std::string before = ReadFile(out);
  const OwnedHandle ref = DataRefFor(out);
  EXPECT_EQ(FlattenMovieDataToDataRef(work.get(), flattenForceMovieResourceBeforeMovieData, ref.get(),
                                      AliasDataHandlerSubType, Tag("TVOD"), -1, createMovieFileDeleteCurFile),
            nullptr);
  EXPECT_EQ(GetMoviesError(), progressProcAborted);
  EXPECT_EQ(progressSeen.back().first, movieProgressClose);
  EXPECT_EQ(ReadFile(out), before);
  EXPECT_EQ(ReaderSays("ls -A " + Quote(dir.Path(""))), "out.mov\ntone.wav\n");  // the working file has no name
  progressAnswer = noErr;
}

TEST(MovieEditing, BadCallsGiveTheirCodes) {
  TempDir dir;
  Movie movie = nullptr;
  FSSpec fileSpec;
  EXPECT_EQ(NativePathNameToFSSpec(dir.Path("missing.mov").c_str(), &fileSpec, 0), fnfErr);
  EXPECT_EQ(NativePathNameToFSSpec(dir.path().c_str(), &fileSpec, 0), fnfErr);
  std::vector<std::uint8_t> folder(dir.path().begin(), dir.path().end());
  EXPECT_EQ(NewMovieFromDataRef(&movie, 0, nullptr, &folder, AliasDataHandlerSubType), fnfErr);
  const std::string junk = dir.Write("junk.m4a", std::string(5000, 'x'));
  std::vector<std::uint8_t> junkRef(junk.begin(), junk.end());
  EXPECT_EQ(NewMovieFromDataRef(&movie, 0, nullptr, &junkRef, AliasDataHandlerSubType), noMovieFound);
  EXPECT_EQ(GetMoviesError(), noMovieFound);
  EXPECT_EQ(movie, nullptr);
  EXPECT_EQ(GetMovieIndTrack(nullptr, 1), nullptr);
  EXPECT_EQ(GetMoviesError(), invalidMovie);
  EXPECT_EQ(InsertTrackSegment(nullptr, nullptr, 0, 1, 0), invalidTrack);

  OwnedMovie work = NewWorkingMovie(dir.Path("work.mov"));
  EXPECT_EQ(GetMovieIndTrack(work.get(), 1), nullptr);
  EXPECT_EQ(GetMoviesError(), badTrackIndex);
  Track text = NewMovieTrack(work.get(), 0, 0, 0);
  Media media = NewTrackMedia(text, Tag("text"), 600, nullptr, 0);
  ASSERT_NE(media, nullptr);
  std::vector<std::uint8_t> shortDescription(10, 0);
  std::vector<std::uint8_t> data(4, 0);
  EXPECT_EQ(AddMediaSample(media, &data, 0, 4, 600, &shortDescription, 1, 0, nullptr), invalidSampleDescription);
  GetMediaSampleDescription(media, 1, &shortDescription);
  EXPECT_EQ(GetMoviesError(), invalidSampleDescIndex);
}
