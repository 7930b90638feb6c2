#include <gtest/gtest.h>

#include "assembly/ChapterTimeline.h"

namespace {
std::string Said(const std::vector<ChapterEntry>& entries) {
  std::string out;
  for (const ChapterEntry& e : entries)
    out += std::to_string(e.startMs) + "-" + std::to_string(e.endMs) + (e.toc ? " " : " ~") + e.title + " [" + e.img +
           "] <" + e.url + ">\n";
  return out;
}
}  // namespace

// Slides and links change inside chapters and across them, on a sample clock.
TEST(ChapterTimeline, EntriesFollowEveryChangeInsideChapters) {
  EXPECT_EQ(MillisecondsOf(1001, 600), 1668);     // 1668.33
  EXPECT_EQ(MillisecondsOf(22061, 22050), 1000);  // 1000.499
  EXPECT_EQ(MillisecondsOf(44100LL * 3600 * 30 + 44099, 44100), 108000000LL + 1000);
  const std::int64_t s = 44100;
  ChapterTimeline t(44100);
  t.chapters = {{0, 2 * s, "A"}, {2 * s, 3 * s, "B"}, {5 * s, 0, "Empty"}, {5 * s, 4 * s, "C"}};
  // p2 starts within the millisecond of B's start; p3 ends early and leaves C's end without a slide.
  t.slides = {{0, 2 * s + 10, "p1"}, {2 * s + 10, s, "p2"}, {3 * s + 10, 5 * s, "p3"}};
  // l2 starts in the last millisecond of B: it shows first at C.
  t.links = {{0, s, "l1"}, {s, 4 * s - 20, ""}, {5 * s - 20, 4 * s + 20, "l2"}};
  EXPECT_EQ(Said(t.Entries()),
            "0-2000 A [p1] <l1>\n"
            "1000-2000 ~A [p1] <>\n"
            "2000-5000 B [p2] <>\n"
            "3000-5000 ~B [p3] <>\n"
            "5000-5000 Empty [p3] <l2>\n"
            "5000-9000 C [p3] <l2>\n"
            "8000-9000 ~C [] <l2>\n");
  EXPECT_EQ(Said(t.Chapters()),
            "0-2000 A [p1] <l1>\n2000-5000 B [p2] <>\n5000-5000 Empty [p3] <l2>\n5000-9000 C [p3] <l2>\n");
}
