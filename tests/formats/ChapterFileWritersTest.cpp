#include <gtest/gtest.h>

#include "TestSupport.h"
#include "formats/ChapterJsonWriter.h"
#include "formats/WebVttWriter.h"

namespace {
std::string Hex(const std::string& bytes) {
  std::string out;
  for (const char c : bytes) {
    char two[3];
    std::snprintf(two, sizeof two, "%02x", static_cast<unsigned char>(c));
    out += two;
  }
  return out;
}

ChapterEntry Titled(std::int64_t startMs, std::int64_t endMs, const std::string& title) {
  return ChapterEntry{.startMs = startMs, .endMs = endMs, .title = title, .img = "", .url = "", .toc = true};
}
}  // namespace

TEST(ChapterJsonWriter, EntriesWithWhatTheyHave) {
  EXPECT_EQ(ChapterJsonWriter::Write({{.startMs = 0, .endMs = 3723004, .title = "A", .img = "a.jpg", .url = "", .toc = true},
                                      {.startMs = 5, .endMs = 60, .title = "B", .img = "", .url = "u", .toc = false}}),
            "{\"version\":\"1.2.0\",\"chapters\":[\n"
            "{\"startTime\":0.000,\"endTime\":3723.004,\"title\":\"A\",\"img\":\"a.jpg\"},\n"
            "{\"startTime\":0.005,\"endTime\":0.060,\"title\":\"B\",\"url\":\"u\",\"toc\":false}\n]}\n");
  EXPECT_EQ(ChapterJsonWriter::Write({}), "{\"version\":\"1.2.0\",\"chapters\":[]}\n");
}

// Python's json module reads back every character of a title as it was.
TEST(ChapterJsonWriter, TitlesComeBackWhole) {
  std::string title = "\"quoted\" back\\slash / \xC3\x9Cn\xC3\xAF \xE2\x86\x92 \xF0\x9F\x8E\x99 \x7F";
  for (char c = 1; c < 0x20; ++c) title += c;
  TempDir dir;
  const std::string file = dir.Write("t.json", ChapterJsonWriter::Write({Titled(0, 1, title)}));
  EXPECT_EQ(ReaderSays("/usr/bin/python3 -c \"import json, sys; "
                       "print(json.load(open(sys.argv[1]))['chapters'][0]['title'].encode('utf-8').hex())\" " +
                       Quote(file)),
            Hex(title) + "\n");
}

// ffmpeg reads each cue back with its times and its title's text, however
// the title tries to end the cue early or look like markup.
TEST(WebVttWriter, CuesReadBackAsWritten) {
  EXPECT_EQ(WebVttWriter::Timestamp(3723004), "01:02:03.004");
  EXPECT_EQ(WebVttWriter::Timestamp(360000000 + 61001), "100:01:01.001");
  TempDir dir;
  const std::string file = dir.Write(
      "t.vtt", WebVttWriter::Write({Titled(0, 1500, "A --> B"), Titled(1500, 2250, "\nOne\n\n  \r\nTwo & <b>bold</b>\n"),
                                    Titled(2250, 3723004, "\xC3\x9Cn\xC3\xAF")}));
  EXPECT_EQ(ReaderSays("ffmpeg -v error -i " + Quote(file) + " -f srt -"),
            "1\n00:00:00,000 --> 00:00:01,500\nA --> B\n\n"
            "2\n00:00:01,500 --> 00:00:02,250\nOne\r\nTwo & <b>bold</b>\n\n"  // its line break as SRT writes it
            "3\n00:00:02,250 --> 01:02:03,004\n\xC3\x9Cn\xC3\xAF\n\n");
}
