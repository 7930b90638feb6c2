// Reading chapter titles and links back: text samples as others write them,
// and 'chpl' lists of both versions.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/NeroChapterList.h"
#include "formats/TextSampleReader.h"

namespace {
std::vector<std::uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }
}  // namespace

TEST(ChapterTextReading, TextSamplesInEveryEncodingAndTheirLinks) {
  struct Case {
    std::string sample, text;
  };
  for (const Case& c : std::vector<Case>{{std::string("\0\x06\xFE\xFF\0\xC4\0b", 8), "Äb"},
                                         {std::string("\0\x06\xFF\xFE\xC4\0b\0", 8), "Äb"},
                                         {std::string("\0\x02\x80\xC4", 4), "€Ä"},  // Windows-1252
                                         {std::string("\0\x02\xC3\x84\0\0\0\x0C""encd\0\0\x01\0", 16), "Ä"}}) {
    const auto read = TextSampleReader::Read(Bytes(c.sample));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->text, c.text);
    EXPECT_FALSE(read->link);
  }
  // An 'href' box after another box; a damaged box after it loses nothing.
  const std::string href = std::string("\0\0\0\x1A""href\0\0\0\x02\x0Chttp://a.b/c\0", 26);
  const auto linked = TextSampleReader::Read(Bytes(std::string("\0\x02go\0\0\0\x08""styl", 12) + href + "\0\0\0\x40xx"));
  ASSERT_TRUE(linked);
  EXPECT_EQ(linked->text, "go");
  EXPECT_EQ(linked->link, "http://a.b/c");
  EXPECT_FALSE(TextSampleReader::Read(Bytes(std::string("\0\x05" "abc", 5))));
}

TEST(ChapterTextReading, ChplListsOfBothVersions) {
  NeroChapterList list(44100);
  list.Add(0, "Eins");
  list.Add(44100 * 3725 + 441, "Zwei — Ü");
  BinStorage out;
  ASSERT_TRUE(list.AppendAtom(out));
  const std::vector<std::uint8_t> atom(out.data() + 8, out.data() + out.Length());
  const auto read = NeroChapterList::Read(atom);
  ASSERT_TRUE(read);
  ASSERT_EQ(read->size(), 2u);
  EXPECT_EQ((*read)[1].start, 3725'0100000u);
  EXPECT_EQ((*read)[1].title, "Zwei — Ü");

  const std::string version0("\0\0\0\0\x01\0\0\0\0\0\x98\x96\x80\x02" "ab", 16);
  const auto old = NeroChapterList::Read(Bytes(version0));
  ASSERT_TRUE(old);
  EXPECT_EQ((*old)[0].start, 10'000'000u);
  EXPECT_EQ((*old)[0].title, "ab");
  EXPECT_FALSE(NeroChapterList::Read(Bytes(version0.substr(0, 15))));
}
