#include <filesystem>
#include <sstream>

#include "BuildFixture.h"

namespace {
namespace fs = std::filesystem;

// Python's json module reads the file and checks it against the JSON
// chapters schema; one "start|end|toc|title|img|url" line per chapter, or
// "ERROR ..." lines.
constexpr const char* kJsonCheck = R"PY(
import json, sys
doc = json.load(open(sys.argv[1], encoding='utf-8'))
def number(v): return isinstance(v, (int, float)) and not isinstance(v, bool)
if doc.get('version') != '1.2.0' or not isinstance(doc.get('chapters'), list): print('ERROR top level')
last = -1
for c in doc['chapters']:
    if set(c) - {'startTime', 'endTime', 'title', 'img', 'url', 'toc'}: print('ERROR keys', sorted(c))
    if not (number(c.get('startTime')) and number(c.get('endTime')) and isinstance(c.get('title'), str)):
        print('ERROR types', c)
    if any(k in c and (not isinstance(c[k], str) or not c[k]) for k in ('img', 'url')): print('ERROR types', c)
    if not isinstance(c.get('toc', True), bool): print('ERROR types', c)
    if c['startTime'] <= last or c['endTime'] < c['startTime']: print('ERROR times', c)
    last = c['startTime']
    print('%.3f|%.3f|%d|%s|%s|%s' % (c['startTime'], c['endTime'], c.get('toc', True), c['title'],
                                     c.get('img', ''), c.get('url', '')))
)PY";

// The start and the picture of each line of JsonSays.
std::vector<std::pair<double, std::string>> StartsAndPictures(const std::string& said) {
  std::vector<std::pair<double, std::string>> out;
  std::istringstream lines(said);
  for (std::string line; std::getline(lines, line);) {
    std::vector<std::string> f;
    std::istringstream in(line);
    for (std::string field; std::getline(in, field, '|');) f.push_back(field);
    if (f.size() >= 5) out.emplace_back(std::stod(f[0]), f[4]);
  }
  return out;
}

std::string JsonSays(const std::string& file) {
  return ReaderSays("/usr/bin/python3 -c " + Quote(kJsonCheck) + " " + Quote(file));
}

// How close the slide ffmpeg shows just after `seconds` is to `picture`, in dB.
double PsnrAt(const BuildFolder& f, const std::string& movie, double seconds, const std::string& picture) {
  return Psnr(FrameAt(f, movie, std::to_string(seconds + 0.05)), picture);
}

// A slide picture of the projects' frame size, without alpha.
void Slide(const BuildFolder& f, const std::string& name, const std::string& source) {
  Picture(f, name, source + "=size=400x240,format=rgb24");
}
}  // namespace

// A podcast on a clock of 7000 units a second, with chapters that do not fall
// on slide changes, slides and links changing inside a chapter, and a chapter
// that brings no slide of its own.
TEST(ChapterFiles, JsonAndWebVttAgreeWithTheMovie) {
  BuildFolder f;
  f.Tone("talk.m4a", 11, 32000);
  Slide(f, "one.png", "testsrc2");
  Slide(f, "two.png", "mandelbrot");
  Slide(f, "three.png", "smptebars");
  const std::string middle = "Zwischen \xE2\x86\x92 \xC3\x9Cn\xC3\xAF", end = "Ende --> <b>\"&\"";
  f.dir.Write("show.pod", "[podcast]\nbasename=show\naudiofile=talk.m4a\nimgwidth=400\nimgheight=240\ntimescale=7000\n"
                          "chapterfiles=vtt json\n"
                          "[editpoint_1]\nchapter=Intro\nimage=one.png\ntitle=Hallo\nhref=https://a.example/\n"
                          "[editpoint_2]\nstart=0:0:3.1234\nchapter=" + middle + "\nhref=&clear\n"
                          "[editpoint_2a]\nstart=0:0:5.0\nimage=two.png\n"
                          "[editpoint_3]\nstart=0:0:6.7175\nimage=three.png\n"
                          "[editpoint_3a]\nstart=0:0:8.0\nhref=https://b.example/x?y=1&z=2\n"
                          "[editpoint_4]\nstart=0:0:9.0\nchapter=" + end + "\n");
  const RunResult run = f.Tolva({"-q4", "show.pod"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const std::string movie = f.dir.Path("show.m4a");

  const std::string said = JsonSays(f.dir.Path("show.chapters.json")), b = "https://b.example/x?y=1&z=2";
  EXPECT_EQ(said, "0.000|3.176|1|Intro|show-01.jpg|https://a.example/\n"
                  "3.176|9.000|1|" + middle + "|show-01.jpg|\n"  // 3 s + 1234/7000
                  "5.000|7.025|0|" + middle + "|show-02.jpg|\n"
                  "7.025|8.000|0|" + middle + "|show-03.jpg|\n"  // 6 s + 7175/7000
                  "8.000|9.000|0|" + middle + "|show-03.jpg|" + b + "\n"
                  "9.000|11.000|1|" + end + "|show-03.jpg|" + b + "\n");
  for (const auto& [start, img] : StartsAndPictures(said))
    EXPECT_GT(PsnrAt(f, movie, start, f.dir.Path(img)), 40) << start;

  // The same chapters, to the millisecond, in the movie and the WebVTT file.
  EXPECT_EQ(ReaderSays("ffprobe -v error -show_entries chapter=start_time,end_time:chapter_tags=title "
                       "-of compact=p=0:nk=1 " + Quote(movie)),
            "0.000000|3.176286|Intro\n3.176286|9.000000|" + middle + "\n9.000000|11.000000|" + end + "\n");
  EXPECT_EQ(ReaderSays("ffmpeg -v error -i " + Quote(f.dir.Path("show.chapters.vtt")) + " -f srt -"),
            "1\n00:00:00,000 --> 00:00:03,176\nIntro\n\n2\n00:00:03,176 --> 00:00:09,000\n" + middle +
                "\n\n3\n00:00:09,000 --> 00:00:11,000\n" + end + "\n\n");
  EXPECT_EQ(f.Leftovers(), std::vector<std::string>());
}

// An audio book whose pictures will be found under a public folder: the
// links to them are joined with one '/' and escaped where a path needs it; a
// slide shown again as it was shares the picture before it.
TEST(ChapterFiles, BookPicturesUnderABaseUrl) {
  BuildFolder f;
  Slide(f, "a.png", "testsrc2");
  Slide(f, "b.png", "rgbtestsrc");
  std::string pod = "[podcast]\nbasename=my book\naudiobook=true\nimgwidth=320\nimgheight=192\nqtimageformat=jpeg\n"
                    "chapterfiles=JSON\nchapterbaseurl=https://cdn.example.org/books//\n";
  const char* images[] = {"a.png", "a.png", "b.png"};
  for (int i = 0; i < 3; ++i) {
    f.Tone("part" + std::to_string(i) + ".m4a", 1.5 + i, 22050, 1, 300 + 100 * i);
    pod += "[editpoint_" + std::to_string(i + 1) + "]\naudiofile=part" + std::to_string(i) + ".m4a\nchapter=Teil " +
           std::to_string(i + 1) + "\nimage=" + images[i] + "\ntitle=Kapitel\n";
  }
  f.dir.Write("book.pod", pod);
  const RunResult run = f.Tolva({"-qb", "book.pod"});
  ASSERT_EQ(run.status, 0) << run.err;

  const auto json = StartsAndPictures(JsonSays(f.dir.Path("my book.chapters.json")));
  ASSERT_EQ(json.size(), 3u);
  const std::string url = "https://cdn.example.org/books/my%20book-";
  EXPECT_EQ(json[0].second + json[1].second + json[2].second, url + "01.jpg" + url + "01.jpg" + url + "02.jpg");
  EXPECT_GT(PsnrAt(f, f.dir.Path("my book.m4b"), json[2].first, f.dir.Path("my book-02.jpg")), 40);
  EXPECT_FALSE(fs::exists(f.dir.Path("my book-03.jpg")));
  EXPECT_FALSE(fs::exists(f.dir.Path("my book.chapters.vtt")));
}

// A build that writes no movie writes no chapter file and leaves the old
// ones as they were; a word the key does not know stops the build at once.
TEST(ChapterFiles, NoMovieNoChapterFiles) {
  BuildFolder f;
  Slide(f, "a.png", "testsrc2");
  f.Tone("talk.m4a", 2, 16000);
  fs::create_directory(f.dir.Path("out.m4a"));  // the movie cannot take its name
  f.dir.Write("out.chapters.json", "old");
  const std::string pod = "[podcast]\nbasename=out\naudiofile=talk.m4a\nimgwidth=64\nimgheight=64\nchapterfiles=";
  const std::string sections =
      "\n[editpoint_1]\nchapter=Eins\nimage=a.png\n[editpoint_2]\nstart=0:0:1.0\nchapter=Zwei\n";
  const auto untouched = [&]() {
    return ReadFile(f.dir.Path("out.chapters.json")) == "old" && !fs::exists(f.dir.Path("out.chapters.vtt")) &&
           !fs::exists(f.dir.Path("out-01.jpg")) && fs::is_directory(f.dir.Path("out.m4a"));
  };

  f.dir.Write("out.pod", pod + "json,vtt" + sections);
  RunResult run = f.Tolva({"-q4", "out.pod"});
  EXPECT_NE(run.err.find("movie \"" + f.dir.Path("out.m4a") + "\" was not written"), std::string::npos) << run.err;
  EXPECT_TRUE(untouched());

  f.dir.Write("out.pod", pod + "json, srt" + sections);
  run = f.Tolva({"-q4", "out.pod"});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, "\"chapterfiles\" entry in [podcast] in file " + f.dir.Path("out.pod") +
                         " has an unknown word \"srt\" (json and vtt are known)\n");
  EXPECT_TRUE(untouched());
}
