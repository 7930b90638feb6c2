// The command pc through the real program: the project it writes from a
// chaptered file, read back by the project reader, and the movie that project
// builds, read by ffprobe and ffmpeg.
#include <cmath>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "PodFixture.h"
#include "TestSupport.h"
#include "project/EditPointAudio.h"
#include "project/EditPointChapter.h"
#include "project/EditPointLink.h"

namespace {
struct Chapter {
  long long startMs = 0, endMs = 0;
  std::string title;
  bool operator==(const Chapter&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Chapter& c) {
  return out << c.startMs << "-" << c.endMs << " \"" << c.title << "\"";
}

long long Ms(const std::string& seconds) { return std::llround(std::stod(seconds) * 1000); }

// The chapters as ffprobe lists them, to the millisecond.
std::vector<Chapter> ProbedChapters(const std::string& file) {
  std::istringstream lines(ReaderSays("ffprobe -v error -show_entries chapter=start_time,end_time:chapter_tags=title "
                                      "-of compact=p=0:nk=1 " + Quote(file)));
  std::vector<Chapter> chapters;
  for (std::string line; std::getline(lines, line);) {
    const std::size_t a = line.find('|'), b = line.find('|', a + 1);
    chapters.push_back({Ms(line.substr(0, a)), Ms(line.substr(a + 1, b - a - 1)),
                        b == std::string::npos ? "" : line.substr(b + 1)});
  }
  return chapters;
}

// ffmetadata escapes these with a backslash.
std::string MetadataText(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '=' || c == ';' || c == '#' || c == '\\') out += '\\';
    out += c;
  }
  return out;
}

std::string Md5(const std::string& file) {
  return ReaderSays("ffmpeg -v error -i " + Quote(file) + " -map 0:a -f md5 -");
}

void Replace(std::string& text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  ASSERT_NE(at, std::string::npos) << from;
  text.replace(at, from.size(), to);
}

class PodFromChapters : public testing::Test {
 protected:
  RunResult Run(const std::vector<std::string>& args) { return RunTolva(args, dir.path(), home.path()); }

  // `chapters` (their ends ignored but the last, which the sound's end replaces)
  // written into a copy of `sound` by ffmpeg, which gives it a chapter track and a 'chpl' list.
  std::vector<Chapter> AddChapters(const std::string& sound, std::vector<Chapter> chapters, const std::string& out) {
    const long long end = Ms(ReaderSays("ffprobe -v error -select_streams a -show_entries stream=duration -of csv=p=0 " +
                                        Quote(dir.Path(sound))));
    std::string meta = ";FFMETADATA1\n";
    for (std::size_t i = 0; i < chapters.size(); ++i) {
      chapters[i].endMs = i + 1 < chapters.size() ? chapters[i + 1].startMs : end;
      meta += "[CHAPTER]\nTIMEBASE=1/1000\nSTART=" + std::to_string(chapters[i].startMs) +
              "\nEND=" + std::to_string(chapters[i].endMs) + "\ntitle=" + MetadataText(chapters[i].title) + "\n";
    }
    dir.Write("chapters.txt", meta);
    MustRun("ffmpeg -v error -i " + Quote(dir.Path(sound)) + " -i " + Quote(dir.Path("chapters.txt")) +
            " -map 0:a -map_chapters 1 -c copy " + Quote(dir.Path(out)));
    return chapters;
  }

  TempDir dir, home;
};
}  // namespace

// Three hours in 30 chapters, from a minute of sound looped without
// re-encoding. Titles the project format could mangle come back whole; the
// rebuilt book is the same sound, sample for sample, under the edited titles.
TEST_F(PodFromChapters, ABookRebuildsWithItsSoundUntouchedAndItsTitlesEdited) {
  MustRun("ffmpeg -v error -f lavfi -i sine=frequency=330:sample_rate=8000:duration=60 -ac 1 -c:a aac -b:a 8k " +
          Quote(dir.Path("minute.m4a")));
  MustRun("ffmpeg -v error -stream_loop 179 -i " + Quote(dir.Path("minute.m4a")) + " -c copy " +
          Quote(dir.Path("loop.m4a")));
  std::vector<Chapter> chapters;
  for (int i = 0; i < 30; ++i)
    chapters.push_back({i * 360'000LL + (i * 7919) % 1000, 0, "Chapter " + std::to_string(i + 1)});
  chapters[3].title = "  blank ends ";
  chapters[4].title = "\"between quotes\"";
  chapters[5].title = "a = b; [c] #d";
  chapters[6].title = "Ünïcödé № 7 — Grüße";
  chapters = AddChapters("loop.m4a", chapters, "book.m4b");
  ASSERT_EQ(ProbedChapters(dir.Path("book.m4b")), chapters);

  RunResult r = Run({"-pc", "rebuilt", "book.m4b"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_TRUE(r.out.ends_with("File: book.m4b\n  30 chapters, 0 links\n")) << r.out;
  std::string pod = ReadFile(dir.Path("rebuilt.pod"));
  EXPECT_NE(pod.find("start=02:36:00.894\n"), std::string::npos) << pod;  // chapter 27, in milliseconds

  // Read back as it stands: the book's file in its first section, every start and title as the file has them.
  LoadedPod loaded = LoadPod(dir, pod);
  ASSERT_TRUE(loaded.ok) << loaded.err;
  EXPECT_EQ(loaded.err, "");
  EXPECT_TRUE(loaded.project->audioBook);
  EXPECT_EQ(loaded.project->timeScale, 1000);
  const auto audio = PartsOf<EditPointAudio>(*loaded.project, 2);
  const auto parts = PartsOf<EditPointChapter>(*loaded.project, 4);
  ASSERT_EQ(parts.size(), 30u);
  EXPECT_EQ(audio[0]->file, dir.Path("book.m4b"));
  for (std::size_t i = 0; i < parts.size(); ++i) {
    EXPECT_EQ(parts[i]->chapter, chapters[i].title);
    EXPECT_EQ(parts[i]->startTime.Value64In(1000), chapters[i].startMs);
  }

  Replace(pod, "chapter=Chapter 2\n", "chapter=Zweites Kapitel — Übung\n");
  Replace(pod, "chapter=Chapter 30\n", "chapter=The End\n");
  chapters[1].title = "Zweites Kapitel — Übung";
  chapters[29].title = "The End";
  dir.Write("rebuilt.pod", pod);
  r = Run({"rebuilt.pod"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string rebuilt = dir.Path("rebuilt.m4b");
  EXPECT_EQ(ProbedChapters(rebuilt), chapters);
  EXPECT_EQ(Md5(rebuilt), Md5(dir.Path("book.m4b")));
  // The sound alone: no text track of the source, one chapter track of our own, no pictures.
  EXPECT_EQ(ReaderSays("ffprobe -v error -show_entries stream=codec_type -of csv=p=0 " + Quote(rebuilt)),
            "audio\ndata\n");
}

// A file whose chapters are only in its 'chpl' list (the chapter reference
// taken out), at 44.1 kHz: a podcast project, starts in milliseconds.
TEST_F(PodFromChapters, AChplListAloneGivesTheChapters) {
  MustRun("ffmpeg -v error -f lavfi -i sine=frequency=520:sample_rate=44100:duration=9.5 -c:a aac " +
          Quote(dir.Path("talk.m4a")));
  std::vector<Chapter> chapters = AddChapters(
      "talk.m4a", {{0, 0, "Opening"}, {2'345, 0, "Ελληνικά"}, {6'001, 0, "Last words"}}, "chpl.m4a");
  std::string bytes = ReadFile(dir.Path("chpl.m4a"));
  const std::size_t tref = bytes.find("tref", bytes.find("moov"));
  ASSERT_NE(tref, std::string::npos);
  bytes.replace(tref, 4, "free");
  dir.Write("chpl.m4a", bytes);
  ASSERT_EQ(ProbedChapters(dir.Path("chpl.m4a")), chapters);

  RunResult r = Run({"-pc", "talk show", "chpl.m4a"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string pod = ReadFile(dir.Path("talk show.pod"));
  EXPECT_NE(pod.find("'chpl' list of chpl.m4a, times in 1/1000 s\n"), std::string::npos) << pod;
  LoadedPod loaded = LoadPod(dir, pod);
  ASSERT_TRUE(loaded.ok) << loaded.err;
  EXPECT_FALSE(loaded.project->audioBook);
  EXPECT_EQ(loaded.project->audioFile, dir.Path("chpl.m4a"));
  const auto parts = PartsOf<EditPointChapter>(*loaded.project, 4);
  ASSERT_EQ(parts.size(), 3u);
  EXPECT_EQ(parts[1]->chapter, "Ελληνικά");
  EXPECT_EQ(parts[1]->startTime.Value64In(1000), 2'345);
  EXPECT_EQ(parts[2]->startTime.Value64In(1000), 6'001);

  ASSERT_EQ(Run({"talk show.pod"}).status, 0);
  const std::string rebuilt = dir.Path("talk show.m4a");
  EXPECT_EQ(ProbedChapters(rebuilt), chapters);
  EXPECT_EQ(Md5(rebuilt), Md5(dir.Path("talk.m4a")));
}

// Our own enhanced podcast, its chapters at 1/48000 s: the links come back,
// the one that ends a link too, and the project builds the same chapters.
TEST_F(PodFromChapters, LinksComeBackFromAnEnhancedPodcast) {
  MustRun("ffmpeg -v error -f lavfi -i sine=frequency=700:sample_rate=48000:duration=8 -c:a aac " +
          Quote(dir.Path("voice.m4a")));
  dir.Write("show.pod",
            "[podcast]\nbasename=show\naudiofile=voice.m4a\ntimescale=48000\n\n"
            "[editpoint_1]\nchapter=One\nhref=https://example.org/one\nhreftext=Über eins\n\n"
            "[editpoint_2]\nstart=00:00:02.24000\nhref=https://example.org/two\n\n"
            "[editpoint_3]\nstart=00:00:03.12345\nchapter=Two\n\n"
            "[editpoint_4]\nstart=00:00:05.0\nchapter=Three\nhref=&clear\n");
  ASSERT_EQ(Run({"-q4", "show.pod"}).status, 0);
  const std::vector<Chapter> chapters = ProbedChapters(dir.Path("show.m4a"));
  ASSERT_EQ(chapters.size(), 3u);

  const RunResult r = Run({"-pc", "again", "show.m4a"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(r.out.ends_with("  3 chapters, 3 links\n")) << r.out;
  const std::string pod = ReadFile(dir.Path("again.pod"));
  EXPECT_NE(pod.find("[editpoint_2]\nstart=00:00:02.24000\nlink=https://example.org/two\n"
                     "linktext=https://example.org/two\n\n[editpoint_3]\nstart=00:00:03.12345\nchapter=Two\n\n"
                     "[editpoint_4]\nstart=00:00:05.00000\nchapter=Three\nlink=&clear\n"),
            std::string::npos)
      << pod;
  LoadedPod loaded = LoadPod(dir, pod);
  ASSERT_TRUE(loaded.ok) << loaded.err;
  const auto links = PartsOf<EditPointLink>(*loaded.project, 5);
  ASSERT_EQ(links.size(), 4u);
  EXPECT_EQ(links[0]->link, "https://example.org/one");
  EXPECT_EQ(links[0]->linkText, "Über eins");
  EXPECT_TRUE(loaded.project->addImages);

  ASSERT_EQ(Run({"again.pod"}).status, 0);
  EXPECT_EQ(ProbedChapters(dir.Path("again.m4a")), chapters);
  EXPECT_EQ(Md5(dir.Path("again.m4a")), Md5(dir.Path("voice.m4a")));
  EXPECT_EQ(ReaderSays("ffprobe -v error -select_streams s -show_entries packet=pts_time -of csv=p=0 " +
                       Quote(dir.Path("again.m4a"))),
            ReaderSays("ffprobe -v error -select_streams s -show_entries packet=pts_time -of csv=p=0 " +
                       Quote(dir.Path("show.m4a"))));
}

// Nothing to take, or nowhere to put it: the run ends with status 2 and no
// project appears or changes.
TEST_F(PodFromChapters, RefusalsWriteNothing) {
  MustRun("ffmpeg -v error -f lavfi -i sine=duration=2 -c:a aac " + Quote(dir.Path("plain.m4a")));
  MustRun("ffmpeg -v error -f lavfi -i testsrc=duration=1:size=64x48 " + Quote(dir.Path("picture.mp4")));
  dir.Write("notes.txt", "not a movie");
  struct Case {
    std::vector<std::string> files;
    std::string message;
  };
  for (const Case& c : std::vector<Case>{
           {{"plain.m4a"}, "  file has no chapters: neither a chapter track nor a 'chpl' list\n"},
           {{"picture.mp4"}, "  file does not appear to have an audio track\n"},
           {{"notes.txt"}, "  QuickTime was unable to open file\n"},
           {{"plain.m4a", "notes.txt"}, "-pc takes one chaptered file, 2 given\n"},
           {{}, "-pc takes one chaptered file, 0 given\n"}}) {
    SCOPED_TRACE(c.message);
    std::vector<std::string> args{"-pc", "out"};
    args.insert(args.end(), c.files.begin(), c.files.end());
    const RunResult r = Run(args);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, c.message);
    EXPECT_FALSE(std::filesystem::exists(dir.Path("out.pod")));
  }
  AddChapters("plain.m4a", {{0, 0, "Only"}}, "one.m4a");
  dir.Write("out.pod", "mine");
  RunResult r = Run({"-pc", "out", "one.m4a"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(ReadFile(dir.Path("out.pod")), "mine");
  r = Run({"-do", "-pc", "out", "one.m4a"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(ReadFile(dir.Path("out.pod")).find("chapter=Only\n"), std::string::npos);
}
