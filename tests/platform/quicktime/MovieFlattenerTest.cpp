#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "ToolboxTestSupport.h"
#include "platform/quicktime/MovieFileReader.h"
#include "platform/quicktime/MovieFlattener.h"

namespace {
std::string Streams(const std::string& path) {
  return FfprobeSays(path, "stream=codec_name,time_base,nb_frames,duration_ts");
}

std::string DecodedMd5(const std::string& path, const std::string& stream) {
  return ReaderSays("ffmpeg -v error -i " + Quote(path) + " -map 0:" + stream + " -f md5 -");
}

OSErr Flatten(const std::string& from, const std::string& to) {
  MovieRecord movie;
  const OSErr err = MovieFileReader::Read(from, movie);
  return err != noErr ? err : MovieFlattener(movie).WriteTo(to, nullptr);
}

// Everything of a movie that a later edit or export reads, as text.
std::string Described(const MovieRecord& movie) {
  std::string text = std::to_string(movie.timeScale) + " next " + std::to_string(movie.nextTrackId) + " udta " +
                     std::to_string(movie.userData.size()) + "\n";
  for (const auto& track : movie.tracks) {
    const MediaRecord& media = track->media;
    const SampleTable& samples = media.samples;
    text += "track " + std::to_string(track->id) + " " + std::to_string(track->enabled) + " " +
            std::to_string(track->width) + " refs " + std::to_string(track->references.size()) + "\n";
    for (const TrackRecord::Edit& edit : track->edits)
      text += " edit " + std::to_string(edit.trackDuration) + " " + std::to_string(edit.mediaTime) + "\n";
    text += " media " + TagText(media.type) + " " + std::to_string(media.timeScale) + " " +
            std::to_string(media.language) + " " + std::to_string(media.graphicsMode) + "\n";
    for (const auto& description : media.descriptions)
      text += " stsd " + std::string(description.begin(), description.end()) + "\n";
    for (const std::string& ref : media.dataRefs) text += " dref " + ref + "\n";
    text += " samples " + std::to_string(samples.SampleCount()) + " " + std::to_string(samples.Duration()) + " " +
            std::to_string(samples.ConstantSize()) + " sync " +
            std::to_string(samples.SyncSamples() ? samples.SyncSamples()->size() : 0) + "\n";
    for (std::uint32_t size : samples.Sizes().Entries()) text += std::to_string(size) + ",";
    for (const SampleTable::TimeRun& run : samples.TimeRuns())
      text += " stts " + std::to_string(run.count) + "x" + std::to_string(run.duration);
    // where the samples lie, however they are cut into chunks: stretches that lie back to back
    std::uint64_t from = 0, to = 0;
    std::uint32_t description = 0;
    const auto stretch = [&] { text += " at " + std::to_string(from) + "-" + std::to_string(to) + "/" + std::to_string(description); };
    EXPECT_EQ(samples.ForEachSpan(UINT64_MAX, [&](const SampleTable::Span& span) {
      if (span.offset != to || span.description != description) {
        if (to > 0) stretch();
        from = span.offset;
        description = span.description;
      }
      to = span.offset + span.bytes;
      return true;
    }), noErr);
    stretch();
    text += "\n";
  }
  return text;
}
}  // namespace

// Readers see the same media, self-contained; the movie handed back is what the file holds.
TEST(MovieFlattener, ReadersSeeTheSameMediaAndTheMovieHandedBackIsTheFile) {
  TempDir dir;
  const auto [m4a, mov] = MakeFfmpegMovies(dir, 3);
  for (const std::string& source : {m4a, mov}) {
    const std::string out = source + ".flat.mov";
    double fraction = 0;
    MovieRecord movie, written, read;
    ASSERT_EQ(MovieFileReader::Read(source, movie), noErr);
    MovieFlattener flattener(movie);
    ASSERT_EQ(flattener.WriteTo(out, [&](double f) {
      fraction = f;
      return OSErr(noErr);
    }), noErr) << source;
    EXPECT_EQ(fraction, 1.0);
    ASSERT_EQ(flattener.TakeWritten(written), noErr);
    ASSERT_EQ(MovieFileReader::Read(out, read), noErr);
    EXPECT_EQ(Described(written), Described(read)) << source;
    const auto& sizes = written.tracks[0]->media.samples.Sizes();
    if (source == m4a) {  // the sizes of the AAC frames are held once, by the source and the result together
      EXPECT_TRUE(!sizes.empty() && sizes.SharesWith(movie.tracks[0]->media.samples.Sizes()));
    }
    EXPECT_EQ(Streams(out), Streams(source)) << source;
    EXPECT_EQ(ReaderSays("ffmpeg -v error -i " + Quote(out) + " -f null - 2>&1"), "");
    EXPECT_EQ(DecodedMd5(out, "a"), DecodedMd5(source, "a")) << source;
    EXPECT_EQ(ReaderSays("mediainfo --Output='General;%Duration%' " + Quote(out)),
              ReaderSays("mediainfo --Output='General;%Duration%' " + Quote(source)));
    const std::string bytes = ReadFile(out);
    EXPECT_EQ(bytes.substr(4, 8), std::string("ftypqt  ", 8));
    EXPECT_EQ(bytes.substr(36, 4), "moov");  // the movie header first, then the one 'mdat'
  }
  EXPECT_EQ(DecodedMd5(mov + ".flat.mov", "v"), DecodedMd5(mov, "v"));

  // chunks of the two tracks take turns in the file
  MovieRecord flat;
  ASSERT_EQ(MovieFileReader::Read(mov + ".flat.mov", flat), noErr);
  const auto& first = flat.tracks[0]->media.samples.Chunks();
  const auto& second = flat.tracks[1]->media.samples.Chunks();
  ASSERT_GE(first.size(), 4u);
  ASSERT_GE(second.size(), 4u);
  EXPECT_LT(second.front().offset, first.back().offset);
  EXPECT_LT(first.front().offset, second.back().offset);
  EXPECT_EQ(flat.tracks[0]->media.dataRefs[0], mov + ".flat.mov");
}

TEST(MovieFlattener, ReplacesWholeOrLeavesNothing) {
  TempDir dir;
  const std::string m4a = dir.Path("tone.m4a"), out = dir.Path("out.m4a");
  MustRun("ffmpeg -v error -f lavfi -i sine=duration=1 -c:a aac " + Quote(m4a));
  dir.Write("out.m4a", "an older file");
  ASSERT_EQ(Flatten(m4a, out), noErr);
  EXPECT_EQ(FfprobeSays(out, "stream=codec_name"), "aac\n");

  EXPECT_EQ(Flatten(m4a, dir.Path("no/such/folder/out.m4a")), fnfErr);
  // the source vanished from under the movie: the old output stays, no temporary is left
  MovieRecord movie;
  ASSERT_EQ(MovieFileReader::Read(m4a, movie), noErr);
  MustRun("rm " + Quote(m4a));
  MovieFlattener vanished(movie);
  EXPECT_EQ(vanished.WriteTo(out, nullptr), couldNotResolveDataRef);
  EXPECT_EQ(vanished.Why(), "source file \"" + m4a + "\" cannot be opened: no such file or folder");
  EXPECT_EQ(ReaderSays("ls -A " + Quote(dir.path())), "out.m4a\n");
}

TEST(MovieFlattener, SaysWhyNothingWasWritten) {
  TempDir dir;
  const std::string wav = dir.Path("long.wav"), out = dir.Path("out.mov");
  MustRun("sox -n -r 11025 -b 16 -c 2 " + Quote(wav) + " synth 3 sine 300");
  OwnedMovie opened = OpenMovie(wav);
  ASSERT_NE(opened, nullptr);
  // the source lost its end after it was opened: its sample table promises more than it holds
  MustRun("truncate -s 40000 " + Quote(wav));
  MovieFlattener shortSource(*opened);
  EXPECT_EQ(shortSource.WriteTo(out, nullptr), eofErr);
  EXPECT_EQ(shortSource.Why(), "source file \"" + wav + "\" is shorter than its sample table says");
  EXPECT_EQ(ReaderSays("ls -A " + Quote(dir.path())), "long.wav\n");

  // a movie of tracks without samples is no movie to write
  MovieRecord empty;
  empty.AddTrack().media.type = Tag("soun");
  MovieFlattener nothing(empty);
  EXPECT_EQ(nothing.WriteTo(out, nullptr), invalidMovie);
  EXPECT_EQ(nothing.Why(), "the movie holds no samples");
  // and the toolbox tells the same words to whoever asks after the call
  const OwnedHandle ref = DataRefFor(dir.Path("flat.mov"));
  EXPECT_EQ(FlattenMovieDataToDataRef(opened.get(), 0, ref.get(), AliasDataHandlerSubType, 0, -1, 0), nullptr);
  EXPECT_EQ(GetMoviesError(), eofErr);
  EXPECT_EQ(GetMoviesErrorText(), "source file \"" + wav + "\" is shorter than its sample table says");
  EXPECT_EQ(ReaderSays("ls -A " + Quote(dir.path())), "flat.mov\nlong.wav\n");  // the empty file the test made
}
