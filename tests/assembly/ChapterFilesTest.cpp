#include <cmath>
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
    if not number(c.get('startTime')) or not number(c.get('endTime')) or not isinstance(c.get('title'), str): print('ERROR types', c)
    if any(k in c and not isinstance(c[k], str) for k in ('img', 'url')) or not isinstance(c.get('toc', True), bool): print('ERROR types', c)
    if c['startTime'] <= last or c['endTime'] < c['startTime']: print('ERROR times', c)
    last = c['startTime']
    print('%.3f|%.3f|%d|%s|%s|%s' % (c['startTime'], c['endTime'], c.get('toc', True), c['title'], c.get('img', ''), c.get('url', '')))
)PY";

struct Entry {
  double start = 0, end = 0;
  bool toc = true;
  std::string title, img, url;
};

std::vector<std::string> Fields(const std::string& line, char separator) {
  std::vector<std::string> fields;
  std::istringstream in(line);
  for (std::string field; std::getline(in, field, separator);) fields.push_back(field);
  if (!line.empty() && line.back() == separator) fields.emplace_back();
  return fields;
}

std::vector<Entry> JsonChapters(const std::string& file) {
  std::istringstream lines(ReaderSays("/usr/bin/python3 -c " + Quote(kJsonCheck) + " " + Quote(file)));
  std::vector<Entry> entries;
  for (std::string line; std::getline(lines, line);) {
    const std::vector<std::string> f = Fields(line, '|');
    if (f.size() != 6) {
      ADD_FAILURE() << line;
      continue;
    }
    entries.push_back({std::stod(f[0]), std::stod(f[1]), f[2] == "1", f[3], f[4], f[5]});
  }
  return entries;
}

// "start|end|title" per cue or chapter, as ffmpeg reads the file.
std::vector<Entry> ProbedChapters(const std::string& movie) {
  std::istringstream lines(ReaderSays("ffprobe -v error -show_entries chapter=start_time,end_time:chapter_tags=title "
                                      "-of compact=p=0:nk=1 " + Quote(movie)));
  std::vector<Entry> chapters;
  for (std::string line; std::getline(lines, line);) {
    const std::vector<std::string> f = Fields(line, '|');
    if (f.size() == 3) chapters.push_back({std::stod(f[0]), std::stod(f[1]), true, f[2], "", ""});
  }
  return chapters;
}

std::vector<Entry> VttCues(const std::string& vtt) {
  std::istringstream lines(ReaderSays("ffmpeg -v error -i " + Quote(vtt) + " -f srt -"));
  std::vector<Entry> cues;
  const auto seconds = [](const std::string& t) {
    return std::stoi(t.substr(0, 2)) * 3600 + std::stoi(t.substr(3, 2)) * 60 + std::stod(t.substr(6, 2) + "." + t.substr(9, 3));
  };
  for (std::string line; std::getline(lines, line);) {
    if (line.find(" --> ") != 12) continue;
    std::string title;
    std::getline(lines, title);
    cues.push_back({seconds(line.substr(0, 12)), seconds(line.substr(17, 12)), true, title, "", ""});
  }
  return cues;
}

double Psnr(const std::string& a, const std::string& b) {
  const std::string said = ReaderSays("(ffmpeg -i " + Quote(a) + " -i " + Quote(b) + " -lavfi psnr -f null - 2>&1)");
  const std::size_t at = said.find("average:");
  if (at == std::string::npos) return -1;
  return said.compare(at + 8, 3, "inf") == 0 ? 1000 : std::stod(said.substr(at + 8));
}

// The slide ffmpeg shows at `seconds`; without -noaccurate_seek it would skip
// a still that started before that time.
std::string FrameAt(const BuildFolder& f, const std::string& movie, double seconds) {
  const std::string frame = f.dir.Path("frame" + std::to_string(seconds) + ".png");
  MustRun("ffmpeg -v error -y -noaccurate_seek -ss " + std::to_string(seconds) + " -i " + Quote(movie) +
          " -map 0:v -frames:v 1 " + Quote(frame));
  return frame;
}

void Picture(const BuildFolder& f, const std::string& name, const std::string& source) {
  MustRun("ffmpeg -v error -y -f lavfi -i " + source + "=size=400x240 -frames:v 1 -pix_fmt rgb24 " + Quote(f.dir.Path(name)));
}
}  // namespace

// A podcast on a clock of 7000 units a second, with chapters that do not fall
// on slide changes, slides and links changing inside a chapter, and a chapter
// that brings no slide of its own.
TEST(ChapterFiles, JsonAndWebVttAgreeWithTheMovie) {
  BuildFolder f;
  f.Tone("talk.m4a", 11, 32000);
  Picture(f, "one.png", "testsrc2");
  Picture(f, "two.png", "mandelbrot");
  Picture(f, "three.png", "smptebars");
  const std::string middle = "Zwischen \xE2\x86\x92 \xC3\x9Cn\xC3\xAF";
  f.dir.Write("show.pod", "[podcast]\nbasename=show\naudiofile=talk.m4a\nimgwidth=400\nimgheight=240\ntimescale=7000\n"
                          "chapterfiles=vtt json\n"
                          "[editpoint_1]\nchapter=Intro\nimage=one.png\ntitle=Hallo\nhref=https://a.example/\n"
                          "[editpoint_2]\nstart=0:0:3.1234\nchapter=" + middle + "\nhref=&clear\n"
                          "[editpoint_2a]\nstart=0:0:5.0\nimage=two.png\n"
                          "[editpoint_3]\nstart=0:0:6.7175\nimage=three.png\n"
                          "[editpoint_3a]\nstart=0:0:8.0\nhref=https://b.example/x?y=1&z=2\n"
                          "[editpoint_4]\nstart=0:0:9.0\nchapter=Ende\n");
  const RunResult run = f.Tolva({"-q4", "show.pod"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const std::string movie = f.dir.Path("show.m4a");

  const std::vector<Entry> json = JsonChapters(f.dir.Path("show.chapters.json"));
  const struct {
    double start;
    bool toc;
    std::string title, img, url;
  } expected[] = {{0, true, "Intro", "show-01.jpg", "https://a.example/"},
                  {3.176, true, middle, "show-01.jpg", ""},  // 3 s and 1234 of 7000
                  {5, false, middle, "show-02.jpg", ""},
                  {7.025, false, middle, "show-03.jpg", ""},  // 6 s and 7175 of 7000
                  {8, false, middle, "show-03.jpg", "https://b.example/x?y=1&z=2"},
                  {9, true, "Ende", "show-03.jpg", "https://b.example/x?y=1&z=2"}};
  ASSERT_EQ(json.size(), 6u) << ReadFile(f.dir.Path("show.chapters.json"));
  for (std::size_t i = 0; i < json.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_DOUBLE_EQ(json[i].start, expected[i].start);
    EXPECT_EQ(json[i].toc, expected[i].toc);
    EXPECT_EQ(json[i].title, expected[i].title);
    EXPECT_EQ(json[i].img, expected[i].img);
    EXPECT_EQ(json[i].url, expected[i].url);
    if (!json[i].toc) {  // to the next change, or its chapter's end
      EXPECT_DOUBLE_EQ(json[i].end, i + 1 < json.size() ? json[i + 1].start : json.back().end);
    }
    EXPECT_GT(Psnr(FrameAt(f, movie, json[i].start + 0.05), f.dir.Path(json[i].img)), 40);
  }

  const std::vector<Entry> probed = ProbedChapters(movie);
  std::vector<Entry> toc, cues = VttCues(f.dir.Path("show.chapters.vtt"));
  for (const Entry& e : json)
    if (e.toc) toc.push_back(e);
  ASSERT_EQ(probed.size(), 3u);
  ASSERT_EQ(toc.size(), 3u);
  ASSERT_EQ(cues.size(), 3u);
  for (std::size_t i = 0; i < probed.size(); ++i) {
    for (const Entry* e : {&toc[i], &cues[i]}) {
      EXPECT_LE(std::abs(e->start - probed[i].start), 0.0005) << i;
      EXPECT_LE(std::abs(e->end - probed[i].end), 0.0005) << i;
      EXPECT_EQ(e->title, probed[i].title);
    }
  }
  EXPECT_EQ(f.Leftovers(), std::vector<std::string>());
}

// An audio book whose pictures will be found under a public folder: the
// links to them are joined with one '/' and escaped where a path needs it; a
// slide shown again as it was shares the picture before it.
TEST(ChapterFiles, BookPicturesUnderABaseUrl) {
  BuildFolder f;
  Picture(f, "a.png", "testsrc2");
  Picture(f, "b.png", "rgbtestsrc");
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

  const std::string movie = f.dir.Path("my book.m4b");
  const std::vector<Entry> json = JsonChapters(f.dir.Path("my book.chapters.json"));
  const std::vector<Entry> probed = ProbedChapters(movie);
  ASSERT_EQ(json.size(), 3u);
  ASSERT_EQ(probed.size(), 3u);
  const std::string url = "https://cdn.example.org/books/my%20book-";
  const std::string img[] = {url + "01.jpg", url + "01.jpg", url + "02.jpg"};
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(json[i].img, img[i]);
    EXPECT_EQ(json[i].title, probed[i].title);
    EXPECT_LE(std::abs(json[i].start - probed[i].start), 0.0005);
    const std::string picture = f.dir.Path("my book-" + img[i].substr(url.size()));
    EXPECT_GT(Psnr(FrameAt(f, movie, json[i].start + 0.05), picture), 40) << i;
  }
  EXPECT_FALSE(fs::exists(f.dir.Path("my book-03.jpg")));
  EXPECT_FALSE(fs::exists(f.dir.Path("my book.chapters.vtt")));
}

// A build that writes no movie writes no chapter file and leaves the old
// ones as they were; a word the key does not know stops the build at once.
TEST(ChapterFiles, NoMovieNoChapterFiles) {
  BuildFolder f;
  Picture(f, "a.png", "testsrc2");
  f.Tone("talk.m4a", 2, 16000);
  fs::create_directory(f.dir.Path("out.m4a"));  // the movie cannot take its name
  f.dir.Write("out.chapters.json", "old");
  const std::string pod = "[podcast]\nbasename=out\naudiofile=talk.m4a\nimgwidth=64\nimgheight=64\nchapterfiles=";
  const std::string sections = "\n[editpoint_1]\nchapter=Eins\nimage=a.png\n[editpoint_2]\nstart=0:0:1.0\nchapter=Zwei\n";
  const auto listing = [&]() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(f.dir.path()))
      if (entry.path().filename().string().starts_with("out")) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  };
  const std::vector<std::string> before{"out.chapters.json", "out.m4a", "out.pod"};

  f.dir.Write("out.pod", pod + "json,vtt" + sections);
  RunResult run = f.Tolva({"-q4", "out.pod"});
  EXPECT_NE(run.err.find("movie \"" + f.dir.Path("out.m4a") + "\" was not written"), std::string::npos) << run.err;
  EXPECT_EQ(listing(), before);
  EXPECT_EQ(ReadFile(f.dir.Path("out.chapters.json")), "old");

  f.dir.Write("out.pod", pod + "json, srt" + sections);
  run = f.Tolva({"-q4", "out.pod"});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, "\"chapterfiles\" entry in [podcast] in file " + f.dir.Path("out.pod") +
                         " has an unknown word \"srt\" (json and vtt are known)\n");
  EXPECT_EQ(listing(), before);
}
