#include <gtest/gtest.h>

#include "TestSupport.h"
#include "formats/ChapterJsonWriter.h"

namespace {
ChapterEntry Titled(std::int64_t startMs, std::int64_t endMs, const std::string& title) {
  return ChapterEntry{.startMs = startMs, .endMs = endMs, .title = title, .img = "", .url = "", .toc = true};
}
}  // namespace

// Python's json module reads back every character of a title as it was.
TEST(ChapterJsonWriter, TitlesComeBackWhole) {
  std::string title = "\"quoted\" back\\slash / \xC3\x9Cn\xC3\xAF \xF0\x9F\x8E\x99 \x7F";
  for (char c = 1; c < 0x20; ++c) title += c;
  TempDir dir;
  const std::string file = dir.Write("t.json", ChapterJsonWriter::Write({Titled(0, 1, title)}));
  EXPECT_EQ(ReaderSays("/usr/bin/python3 -c \"import json, sys; "
                       "print(json.load(open(sys.argv[1]))['chapters'][0]['title'] == sys.argv[2])\" " +
                       Quote(file) + " " + Quote(title)),
            "True\n");
}
