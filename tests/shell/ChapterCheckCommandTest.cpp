#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestSupport.h"

namespace {
// The entry lines under the heading that starts with `heading` (tabs become commas).
std::string Section(const std::string& report, const std::string& heading) {
  std::string entries;
  bool inside = false;
  for (const std::string& line : Lines(report)) {
    if (line.starts_with("  " + heading)) {
      inside = true;
    } else if (inside && line.starts_with("    ")) {
      std::string entry = line.substr(4);
      for (char& c : entry) c = c == '\t' ? ',' : c;
      entries += entry + "\n";
    } else {
      inside = false;
    }
  }
  return entries;
}

std::string Warnings(const std::string& report) {
  std::string warnings;
  for (const std::string& line : Lines(report))
    if (line.starts_with("  warning: ")) warnings += line.substr(11) + "\n";
  return warnings;
}

// ffprobe's chapters as "start,end,title" with times to the millisecond.
std::string ProbedChapters(const std::string& file) {
  return ReaderSays("ffprobe -v error -show_entries chapter=start_time,end_time:chapter_tags=title -of csv=p=0 " +
                    Quote(file) + " | awk -F, '{ printf \"%.3f,%.3f,%s\\n\", $1, $2, $3 }'");
}

// Where the atom at `path` starts: each name looked for after the one before it.
std::size_t AtomAt(const std::string& file, const std::vector<std::string>& path) {
  std::size_t at = 0;
  for (const std::string& name : path)
    if ((at = file.find(name, at)) == std::string::npos) return at;
  return at - 4;
}

class ChapterCheckCommand : public testing::Test {
 protected:
  TempDir dir, home;
  RunResult Run(const std::vector<std::string>& args) { return RunTolva(args, dir.path(), home.path()); }
  std::string FfmpegWithChapters(const std::string& name, const std::string& chapters, int rate) {
    dir.Write("chapters.txt", ";FFMETADATA1\n" + chapters);
    MustRun("ffmpeg -v error -y -f lavfi -i sine=duration=6:sample_rate=" + std::to_string(rate) + " -i " +
            Quote(dir.Path("chapters.txt")) + " -map_metadata 1 -map 0 -c:a aac " + Quote(dir.Path(name)));
    return dir.Path(name);
  }
  void Patch(const std::string& name, const std::string& bytes, std::size_t at) {
    std::string file = ReadFile(dir.Path(name));
    ASSERT_LT(at, file.size());
    file.replace(at, bytes.size(), bytes);
    dir.Write(name, file);
  }
};

const char kThreeChapters[] =
    "[CHAPTER]\nTIMEBASE=1/90000\nSTART=0\nEND=123456\ntitle=Anfang\n"
    "[CHAPTER]\nTIMEBASE=1/90000\nSTART=123456\nEND=300000\ntitle=Köln — Mitte\n"
    "[CHAPTER]\nTIMEBASE=1/90000\nSTART=300000\nEND=540000\ntitle=Ελληνικά\n";
}  // namespace

// An ffmpeg file gives its chapter track and its 'chpl' list as ffprobe reads them, and no warning;
// the report goes to a file as fi's does.
TEST_F(ChapterCheckCommand, FfmpegChaptersAsFfprobeReadsThem) {
  const std::string file = FfmpegWithChapters("talk.m4a", kThreeChapters, 16000);
  const RunResult r = Run({"talk.m4a", "-fc"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  const std::string probed = ProbedChapters(file);
  ASSERT_EQ(probed, "0.000,1.372,Anfang\n1.372,3.333,Köln — Mitte\n3.333,6.000,Ελληνικά\n");
  EXPECT_EQ(Section(r.out, "chapter track 2: 3 chapters"), probed);
  EXPECT_EQ(Section(r.out, "'chpl' list: 3 chapters"), probed);
  EXPECT_NE(r.out.find("talk.m4a\n  movie: 6.000\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("  no warnings\n"), std::string::npos);

  ASSERT_EQ(Run({"talk.m4a", "-dp", "out", "-fc", "report.txt"}).status, 0);
  EXPECT_EQ(Section(ReadFile(dir.Path("out/report.txt")), "chapter track 2"), probed);
  EXPECT_EQ(Run({"talk.m4a", "-dp", "out", "-fc", "report.txt"}).status, 3);  // not replaced without -do
}

// Without its chapter track (its 'chap' reference renamed) a file's 'chpl' list is what players read.
// ffmpeg stretches a late first chapter back to 0 in its chapter track but not in its 'chpl' list.
TEST_F(ChapterCheckCommand, ChplOnlyAndLateFirstChapter) {
  FfmpegWithChapters("book.m4b", kThreeChapters, 22050);
  Patch("book.m4b", "xxxx", AtomAt(ReadFile(dir.Path("book.m4b")), {"moov", "trak", "tref", "chap"}) + 4);
  FfmpegWithChapters("late.m4a", "[CHAPTER]\nTIMEBASE=1/1000\nSTART=1250\nEND=6000\ntitle=A\n", 44100);
  const RunResult r = Run({"book.m4b", "late.m4a", "-fc"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string book = r.out.substr(0, r.out.find("late.m4a\n")), late = r.out.substr(book.size());
  EXPECT_EQ(book.find("chapter track"), std::string::npos) << r.out;
  EXPECT_EQ(Section(book, "'chpl' list: 3 chapters"), ProbedChapters(dir.Path("book.m4b")));
  EXPECT_EQ(Warnings(book), "");
  EXPECT_EQ(Warnings(late),
            "chapter track 2 and the 'chpl' list: chapter 1 starts at 0.000 and 1.250\n"
            "the 'chpl' list: the first chapter starts at 1.250, not 0\n");
}

// Our own podcast gives no warning; each patched defect gives its own, and a damaged file one line.
TEST_F(ChapterCheckCommand, OwnBuildAndItsDefects) {
  MustRun("ffmpeg -v error -f lavfi -i sine=sample_rate=22050:duration=10 -c:a aac " + Quote(dir.Path("talk.m4a")));
  MustRun("ffmpeg -v error -f lavfi -i testsrc2=size=320x180 -frames:v 1 " + Quote(dir.Path("one.png")));
  MustRun("ffmpeg -v error -f lavfi -i smptebars=size=320x180 -frames:v 1 " + Quote(dir.Path("two.png")));
  dir.Write("show.pod",
            "[podcast]\nbasename=show\naudiofile=talk.m4a\nimgwidth=320\nimgheight=180\n"
            "[editpoint_1]\nchapter=Begrüßung\nimage=one.png\nhref=https://one.example/\nhreftext=Eins\n"
            "[editpoint_2]\nstart=0:0:3.5\nchapter=Zweiter Teil\nimage=two.png\nhref=&clear\n"
            "[editpoint_3]\nstart=0:0:7.0\nchapter=Schluss\nhref=https://three.example/\n");
  ASSERT_EQ(Run({"-q4", "show.pod"}).status, 0);
  const RunResult r = Run({"show.m4a", "-fc"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string probed = ProbedChapters(dir.Path("show.m4a"));
  ASSERT_EQ(std::count(probed.begin(), probed.end(), '\n'), 3) << probed;
  EXPECT_EQ(Section(r.out, "chapter track"), probed);
  EXPECT_EQ(Section(r.out, "'chpl' list"), probed);
  EXPECT_EQ(Section(r.out, "slide track").substr(0, 21), probed.substr(0, 12) + "picture 1");
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\''), 6) << r.out;  // 'chpl' and two 'png '
  EXPECT_NE(Section(r.out, "link track").find(",Eins,https://one.example/\n"), std::string::npos) << r.out;
  EXPECT_EQ(Warnings(r.out), "");

  const std::string movie = ReadFile(dir.Path("show.m4a"));
  dir.Write("title.m4a", movie);
  const std::size_t chpl = AtomAt(movie, {"moov", "udta", "chpl"});
  ASSERT_NE(chpl, std::string::npos);
  Patch("title.m4a", "X", movie.find("Schluss", chpl));
  dir.Write("count.m4a", movie);
  Patch("count.m4a", "\x02", chpl + 16);
  dir.Write("bytes.m4a", movie);
  Patch("bytes.m4a", "\xFF", movie.find("Zweiter", AtomAt(movie, {"mdat"})));
  dir.Write("cut.m4a", movie.substr(0, AtomAt(movie, {"moov", "trak"}) + 40));

  const RunResult d = Run({"title.m4a", "count.m4a", "bytes.m4a", "cut.m4a", "-fc"});
  ASSERT_EQ(d.status, 0) << d.err;
  const auto report = [&](const std::string& name) {
    const std::size_t at = d.out.find(name + "\n");
    return at == std::string::npos ? std::string() : Warnings(d.out.substr(at, d.out.find("\n\n", at) - at));
  };
  EXPECT_EQ(report("title.m4a"),
            "chapter track 2 and the 'chpl' list: chapter 3 is titled \"Schluss\" and \"Xchluss\"\n");
  EXPECT_EQ(report("count.m4a"), "chapter track 2 and the 'chpl' list: 3 and 2 chapters\n");
  EXPECT_EQ(report("bytes.m4a"),
            "chapter track 2: the title of chapter 2 is neither UTF-8 nor UTF-16 with a byte-order mark\n");
  EXPECT_EQ(d.err, "unable to check the chapters of \"" + dir.Path("cut.m4a") +
                       "\": the movie atom runs past the end of the file\n");
}
