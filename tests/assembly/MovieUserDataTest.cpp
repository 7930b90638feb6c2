#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "assembly/MovieUserData.h"
#include "formats/FtypHeader.h"
#include "project/PodProject.h"

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {
const std::string kNormalisation =
    "----:com.apple.iTunes:iTunNORM [' 00000000 00000840 000002F0 0000000007DA58D0 00000000 00000000 00000000 "
    "00000000 00000000 00000000 00000000 00000000']\n";

// Every tag and chapter that mutagen reads, one per line, sorted by key.
std::string MutagenSays(const TempDir& dir, const std::string& movie) {
  const std::string script = dir.Write("tags.py", R"(import sys
from mutagen.mp4 import MP4
f = MP4(sys.argv[1])
for key in sorted(f.tags or {}):
    values = f.tags[key]
    if key == 'covr':
        values = ['%d bytes, format %d' % (len(c), c.imageformat) for c in values]
    elif key.startswith('----'):
        values = [bytes(v).decode() for v in values]
    print(key, values)
for c in f.chapters:
    print('chapter %.3f %s' % (c.start, c.title))
)");
  return ReaderSays("PYTHONIOENCODING=utf-8 /usr/bin/python3 " + Quote(script) + " " + Quote(movie));
}

std::string FfprobeChapters(const std::string& movie) {
  return FfprobeSays(movie, "chapter=start_time:chapter_tags=title");
}

// Three seconds of AAC copied into a new movie of `scale`, given stale user
// data and then its own, flattened and headed as an M4A, as a build does.
std::string TaggedMovie(const TempDir& dir, const std::string& name, TimeScale scale, const StdStringList& lines,
                        const StdStringList* artwork, const std::vector<ChapterMark>& chapters) {
  const std::string sound = dir.Path("tone.m4a"), out = dir.Path(name);
  MustRun("test -f " + Quote(sound) + " || ffmpeg -v error -f lavfi -i sine=duration=3 -c:a aac " + Quote(sound));
  QTMovie source, work;
  EXPECT_TRUE(source.OpenExistingMovie(sound));
  EXPECT_TRUE(work.CreateMovieFile(dir.Path("work-" + name)));
  work.SetTimeScale(scale);
  std::unique_ptr<QTTrack> track(source.GetSoundTrack(0));
  std::unique_ptr<QTTrack> copy(track ? work.AddTrackCopy(*track, true, 0, -1) : nullptr);
  EXPECT_TRUE(copy);
  SetMovieUserData(work, {"\xA9" "cmtstale"}, nullptr, {{0, "stale"}});
  SetMovieUserData(work, lines, artwork, chapters);
  EXPECT_TRUE(work.FlattenMovieToFile(out));
  EXPECT_TRUE(WriteM4AHeader(out));
  return out;
}
}  // namespace

TEST(MovieUserData, ProjectTagsAndCoversReachEveryReader) {
  TempDir dir;
  MustRun("cd " + Quote(dir.path()) + " && ffmpeg -v error -f lavfi -i color=c=blue:s=40x30 -frames:v 1 cover.png && "
          "ffmpeg -v error -f lavfi -i testsrc=s=64x48 -frames:v 1 back.jpg");
  const std::string pod = dir.Write("show.pod", "[podcast]\nbasename=show\nartwork=gone.png\n"
                                                "[artwork]\ncover.png=\nback.jpg=\n"
                                                "[metadata]\n"
                                                "©nam=Prüfung № 5 — Ünïcödé\n"
                                                "©ART=Zoë Ångström\n"
                                                "©alb=Études für Hörer\n"
                                                "©gen=Podcast\n"
                                                "©day=&Today\n"
                                                "©cmt=Kommentar: 1 € ≠ 1 $\n"
                                                "rtng=&00\npcst=&01\n©lyr=\n"
                                                "description=Eine Folge\n"
                                                "egid=@\"urn:tolva:episode:5\n");
  PodProject project;
  CaptureStderr();
  ASSERT_TRUE(project.Load(pod, dir.path()));
  const std::string before = ReaderSays("date -u +%FT%H:%M:00Z");
  const std::string movie = TaggedMovie(dir, "show.m4a", 1000, project.metadata, &project.artwork, {});
  const std::string after = ReaderSays("date -u +%FT%H:%M:00Z");
  EXPECT_EQ(GetCapturedStderr(), "artwork file \"gone.png\" does not exists\n"
                                 "SetUserData() failed to open artwork file \"gone.png\"\n");

  const std::string mutagen = MutagenSays(dir, movie);
  const std::string day = mutagen.substr(mutagen.find("©day ['") + 8, 20);
  EXPECT_TRUE(day + "\n" == before || day + "\n" == after) << day;
  const auto size = [&](const char* name) { return std::to_string(std::filesystem::file_size(dir.Path(name))); };
  EXPECT_EQ(mutagen, kNormalisation + "covr ['" + size("cover.png") + " bytes, format 14', '" + size("back.jpg") +
                         " bytes, format 14']\n"
                         "desc ['Eine Folge']\negid ['urn:tolva:episode:5']\npcst True\nrtng [0]\n"
                         "©ART ['Zoë Ångström']\n©alb ['Études für Hörer']\n©cmt ['Kommentar: 1 € ≠ 1 $']\n"
                         "©day ['" + day + "']\n©gen ['Podcast']\n©nam ['Prüfung № 5 — Ünïcödé']\n"
                         "©too ['Tolva (Reelwright) version 1.0.5a']\n");

  const std::string atomicParsley = ReaderSays("AtomicParsley " + Quote(movie) + " -t");
  for (const std::string& line : std::vector<std::string>{
           "\"----\" [com.apple.iTunes;iTunNORM] contains:  00000000 00000840 000002F0 0000000007DA58D0 ",
           "\"©too\" contains: Tolva (Reelwright) version 1.0.5a\n", "\"©nam\" contains: Prüfung № 5 — Ünïcödé\n",
           "\"©ART\" contains: Zoë Ångström\n", "\"©alb\" contains: Études für Hörer\n", "\"©gen\" contains: Podcast\n",
           "\"©day\" contains: " + day + "\n", "\"©cmt\" contains: Kommentar: 1 € ≠ 1 $\n",
           "\"covr\" contains: 2 pieces of artwork\n"})
    EXPECT_NE(atomicParsley.find("Atom " + line), std::string::npos) << line;
  // the covers come back whole, each told apart by its own bytes
  MustRun("cd " + Quote(dir.path()) + " && AtomicParsley show.m4a -E >/dev/null && cmp show_artwork_1.png cover.png && "
          "cmp show_artwork_2.jpg back.jpg");
  EXPECT_EQ(FfprobeSays(movie, "stream=codec_name,width,height"), "aac\npng,40,30\nmjpeg,64,48\n");

  EXPECT_EQ(ReaderSays("mediainfo --Output='General;%Title%|%Performer%|%Album%|%Genre%|%Recorded_Date%|%Comment%|"
                       "%Encoded_Application%|%Cover%' " + Quote(movie)),
            "Prüfung № 5 — Ünïcödé|Zoë Ångström|Études für Hörer|Podcast|" + day.substr(0, 10) + " " +
                day.substr(11, 8) + " UTC|Kommentar: 1 € ≠ 1 $|Tolva (Reelwright) version 1.0.5a|Yes / Yes\n");
  EXPECT_NE(ReaderSays("mediainfo --Details=1 " + Quote(movie)).find("Value:                             00000000 "
                                                                     "00000840 000002F0 0000000007DA58D0 "),
            std::string::npos);
}

TEST(MovieUserData, ChapterListBesideTheMetadataAndAtMost255) {
  TempDir dir;
  const std::string title = "Zweites Kapitel — Übung";
  std::string longTitle, cut;
  for (int i = 0; i < 150; ++i) longTitle += "ü";  // 300 bytes
  for (int i = 0; i < 127; ++i) cut += "ü";        // 254: the 128th would not fit whole
  const std::string inMs =
      TaggedMovie(dir, "ms.m4a", 1000, {}, nullptr, {{0, "Anfang"}, {1250, title}, {2500, longTitle}});
  EXPECT_EQ(MutagenSays(dir, inMs), kNormalisation + "©too ['Tolva (Reelwright) version 1.0.5a']\n" +
                                        "chapter 0.000 Anfang\nchapter 1.250 " + title + "\nchapter 2.500 " + cut +
                                        "\n");
  EXPECT_EQ(FfprobeChapters(inMs), "0.000000,Anfang\n1.250000," + title + "\n2.500000," + cut + "\n");

  // the list holds times, not units: a movie at 44.1 kHz gives the same starts
  EXPECT_EQ(FfprobeChapters(TaggedMovie(dir, "fine.m4a", 44100, {}, nullptr,
                                        {{0, "Eins"}, {55125, "Zwei"}, {44100LL * 2 + 4410, "Drei"}})),
            "0.000000,Eins\n1.250000,Zwei\n2.100000,Drei\n");

  std::vector<ChapterMark> many;
  for (int i = 0; i < 256; ++i) many.push_back({i * 10, "Kapitel " + std::to_string(i + 1)});
  CaptureStderr();
  const std::string crowded = TaggedMovie(dir, "many.m4a", 1000, {"\xA9" "namViele"}, nullptr, many);
  EXPECT_EQ(GetCapturedStderr(),
            "SetUserData() 256 chapters are more than a Nero chapter list holds (255): it is left out\n");
  EXPECT_EQ(MutagenSays(dir, crowded),
            kNormalisation + "©nam ['Viele']\n©too ['Tolva (Reelwright) version 1.0.5a']\n");
  EXPECT_EQ(FfprobeChapters(crowded), "");
}
