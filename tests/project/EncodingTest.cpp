#include "PodFixture.h"

namespace {
std::string FirstChapter(const PodProject& p) { return PartsOf<EditPointChapter>(p, 4).at(0)->chapter; }
}  // namespace

TEST(Encoding, WindowsAndLinuxProjectsReadAlike) {
  TempDir dir;
  dir.Write("Bilder/Übersicht.jpg", "x");
  const std::string title = "Pr\xC3\xBC" "fung \xE2\x84\x96 5 \xE2\x80\x94 \xC3\x9Cn\xC3\xAF" "c\xC3\xB6" "d\xC3\xA9";

  const LoadedPod utf8 = LoadPod(dir, "[podcast]\nbasename=Fr\xC3\xBChst\xC3\xBC" "ck\n[editpoint_1]\nchapter=" +
                                          title + "\nimage=Bilder/\xC3\x9C" "bersicht.jpg\n");
  ASSERT_TRUE(utf8.ok) << utf8.err;
  EXPECT_EQ(utf8.project->basename, "Fr\xC3\xBChst\xC3\xBC" "ck");
  EXPECT_EQ(FirstChapter(*utf8.project), title);
  EXPECT_EQ(PartsOf<EditPointImage>(*utf8.project, 3)[0]->file, dir.Path("Bilder/\xC3\x9C" "bersicht.jpg"));

  // The same project saved by a Windows editor: Windows-1252, CRLF, backslashes.
  const LoadedPod cp1252 = LoadPod(dir, "[podcast]\r\nbasename=Fr\xFChst\xFC" "ck\r\n[editpoint_1]\r\n"
                                        "chapter=Caf\xE9 \x80 5 \x97 \x93quoted\x94\r\nimage=Bilder\\\xDC" "bersicht.jpg\r\n"
                                        "title=Na\xEFve  \r\n");
  ASSERT_TRUE(cp1252.ok) << cp1252.err;
  EXPECT_EQ(cp1252.err, "");
  EXPECT_EQ(cp1252.project->basename, "Fr\xC3\xBChst\xC3\xBC" "ck");
  EXPECT_EQ(FirstChapter(*cp1252.project),
            "Caf\xC3\xA9 \xE2\x82\xAC 5 \xE2\x80\x94 \xE2\x80\x9Cquoted\xE2\x80\x9D");
  const auto image = PartsOf<EditPointImage>(*cp1252.project, 3)[0];
  EXPECT_EQ(image->file, dir.Path("Bilder/\xC3\x9C" "bersicht.jpg"));
  EXPECT_EQ(image->titles.at(0).text, "Na\xC3\xAFve");

  const LoadedPod bom = LoadPod(dir, "\xEF\xBB\xBF[podcast]\r\nbasename=b\r\n[metadata]\r\n\xC2\xA9" "day=2026\r\n");
  ASSERT_TRUE(bom.ok) << bom.err;
  EXPECT_EQ(bom.project->metadata, (StdStringList{"\xA9" "day2026"}));
  const LoadedPod windowsSign = LoadPod(dir, "[podcast]\r\nbasename=b\r\n[metadata]\r\n\xA9" "day=2026\r\n");
  EXPECT_EQ(windowsSign.project->metadata, (StdStringList{"\xA9" "day2026"}));
}
