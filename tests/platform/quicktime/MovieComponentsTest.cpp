#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "TestSupport.h"
#include "ToolboxTestSupport.h"
#include "platform/quicktime/QtComponents.h"

namespace {
// "Chapter" as the program hands chapter text in: UTF-16 big-endian with a byte-order mark.
std::string Utf16(const std::string& ascii) {
  std::string out("\xFE\xFF", 2);
  for (char c : ascii) out += std::string(1, '\0') + c;
  return out;
}
}  // namespace

TEST(TextMedia, ChapterTrackReferredByChapShowsItsTitles) {
  TempDir dir;
  const std::string m4a = dir.Path("talk.m4a"), out = dir.Path("chapters.mov");
  MustRun("ffmpeg -v error -f lavfi -i sine=duration=6 -c:a aac " + Quote(m4a));
  const OwnedMovie opened = OpenMovie(m4a), working = NewWorkingMovie(dir.Path("work.mov"));
  Movie source = opened.get(), work = working.get();
  ASSERT_NE(source, nullptr);
  SetMovieTimeScale(work, 600);
  Track talk = GetMovieIndTrack(source, 1), sound = EmptyCopy(talk, work);
  ASSERT_EQ(InsertTrackSegment(talk, sound, 0, GetTrackDuration(talk), 0), noErr);

  Track chapters = NewMovieTrack(work, 0, 0, 0);
  Media text = NewTrackMedia(chapters, Tag("text"), 600, nullptr, 0);
  ASSERT_EQ(BeginMediaEdits(text), noErr);
  const std::uint32_t unicode = kTextEncodingUnicodeDefault;
  const RGBColor black{};
  const QDRect box{};
  for (const auto& [title, seconds] : {std::pair{"Opening", 2}, std::pair{"Pr\xC3\xBC" "fung", 4}}) {
    ASSERT_EQ(TextMediaSetTextProperty(text, 0, kTextEncodingPropertyType, &unicode, sizeof unicode), noErr);
    const std::string words = std::string(title) == "Opening" ? Utf16(title) : std::string("\xFE\xFF\0P\0r\0\xFC\0f\0u\0n\0g", 16);
    TimeValue at = -1;
    ASSERT_EQ(TextMediaAddTextSample(text, words.data(), words.size(), 0, 12, 0, &black, nullptr, 1, &box, 0, 0, 0, 0,
                                     nullptr, seconds * 600, &at), noErr);
  }
  EXPECT_EQ(GetMediaSampleDescriptionCount(text), 1);  // both samples share one description
  ASSERT_EQ(EndMediaEdits(text), noErr);
  ASSERT_EQ(InsertMediaIntoTrack(chapters, -1, 0, GetMediaDuration(text), fixed1), noErr);
  SetTrackEnabled(chapters, false);
  ASSERT_EQ(AddTrackReference(sound, chapters, kTrackReferenceChapterList, nullptr), noErr);
  FlattenTo(work, out);

  EXPECT_EQ(FfprobeSays(out, "chapter=start_time,end_time:chapter_tags=title"),
            "0.000000,2.000000,Opening\n2.000000,6.000000,Pr\xC3\xBC" "fung\n");
  const std::string bytes = ReadFile(out);
  EXPECT_NE(bytes.find(std::string("\0\x07Opening\0\0\0\x0C" "encd\0\0\x01\0", 21)), std::string::npos);
}

TEST(GraphicsImporter, JpegBecomesOneSampleThatPlays) {
  TempDir dir;
  const std::string jpeg = dir.Path("slide.jpg"), out = dir.Path("slides.mov");
  MustRun("ffmpeg -v error -f lavfi -i testsrc=size=320x240:duration=1 -frames:v 1 " + Quote(jpeg));
  FSSpec fileSpec;
  ASSERT_EQ(NativePathNameToFSSpec(jpeg.c_str(), &fileSpec, 0), noErr);
  GraphicsImportComponent importer = nullptr;
  ASSERT_EQ(GetGraphicsImporterForFileWithFlags(&fileSpec, &importer, kGraphicsImporterDontUseFileExtensions), noErr);
  Handle ref = nullptr;
  ImageDescriptionHandle image = nullptr;
  unsigned long offset = 1, size = 0;
  ASSERT_EQ(GraphicsImportGetDataReference(importer, &ref, nullptr), noErr);
  ASSERT_EQ(GraphicsImportGetImageDescription(importer, &image), noErr);
  ASSERT_EQ(GraphicsImportGetDataOffsetAndSize(importer, &offset, &size), noErr);
  EXPECT_EQ(offset, 0u);
  EXPECT_EQ(size, ReadFile(jpeg).size());
  std::int16_t width = 0;
  std::memcpy(&width, image->data() + 32, 2);  // host order at the interface
  EXPECT_EQ(width, 320);

  const OwnedMovie working = NewWorkingMovie(dir.Path("work.mov"));
  Movie work = working.get();
  Track slides = NewMovieTrack(work, Long2Fix(320), Long2Fix(240), 0);
  Media video = NewTrackMedia(slides, Tag("vide"), 600, nullptr, 0);
  short index = 0;
  ASSERT_EQ(AddMediaDataRef(video, &index, ref, AliasDataHandlerSubType), noErr);
  std::memcpy(image->data() + 14, &index, 2);
  ASSERT_EQ(AddMediaSampleReference(video, long(offset), size, 3 * 600, image, 1, 0, nullptr), noErr);
  ASSERT_EQ(InsertMediaIntoTrack(slides, 0, 0, GetMediaDuration(video), fixed1), noErr);
  const RGBColor black{};
  ASSERT_EQ(MediaSetGraphicsMode(GetMediaHandler(video), transparentMode, &black), noErr);
  FlattenTo(work, out);
  DisposeHandle(ref);
  DisposeHandle(image);
  CloseComponent(importer);
  EXPECT_NE(ReaderSays("gst-discoverer-1.0 " + Quote(out)).find("Duration: 0:00:03.0"), std::string::npos);
  EXPECT_EQ(FfprobeSays(out, "stream=codec_name,width,height"), "mjpeg,320,240\n");
}

TEST(Components, ListingExporterAndMissingToolbox) {
  const ComponentDescription exporters{.componentType = MovieExportType};
  EXPECT_EQ(CountComponents(&exporters), 2);
  const ComponentDescription mp4{.componentType = MovieExportType, .componentSubType = kQTFileTypeMP4};
  Component found = FindNextComponent(nullptr, &mp4);
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(FindNextComponent(found, &mp4), nullptr);
  std::vector<std::uint8_t> name;
  ASSERT_EQ(GetComponentInfo(found, nullptr, &name, nullptr, nullptr), noErr);
  EXPECT_EQ(std::string(name.begin() + 1, name.end()), "MPEG-4");
  EXPECT_EQ(name[0], 6);

  TempDir dir;
  const std::string m4a = dir.Path("tone.m4a"), mp4File = dir.Path("export.mp4");
  MustRun("ffmpeg -v error -f lavfi -i sine=duration=2 -c:a aac " + Quote(m4a));
  const OwnedMovie opened = OpenMovie(m4a);
  Movie movie = opened.get();
  ASSERT_NE(movie, nullptr);
  ComponentInstance exporter = OpenComponent(found);
  FSSpec target{mp4File};
  ASSERT_EQ(MovieExportToFile(exporter, &target, movie, nullptr, 0, GetMovieDuration(movie)), noErr);
  CloseComponent(exporter);
  EXPECT_EQ(FfprobeSays(mp4File, "format_tags=major_brand"), "mp42\n");
  EXPECT_EQ(AudioMd5(mp4File), AudioMd5(m4a));

  ::setenv("TOLVA_NO_QUICKTIME", "1", 1);
  long version = 0;
  EXPECT_EQ(InitializeQTML(0x40), qtmlDllLoadErr);
  EXPECT_NE(Gestalt(gestaltQuickTime, &version), noErr);
  ::unsetenv("TOLVA_NO_QUICKTIME");
  EXPECT_EQ(InitializeQTML(0x40), noErr);
  EXPECT_EQ(Gestalt(gestaltQuickTime, &version), noErr);
}
