#include "PodFixture.h"

namespace {
std::vector<std::string> ChaptersOf(const PodProject& p) {
  std::vector<std::string> texts;
  for (EditPointChapter* c : PartsOf<EditPointChapter>(p, 4)) texts.push_back(c->chapter);
  return texts;
}

const char* kHead = "[podcast]\nbasename=b\n";
}  // namespace

TEST(EditPointSection, WhichSectionsAreReadAndInWhatOrder) {
  TempDir dir;
  auto chapters = [&](const std::string& sections) { return ChaptersOf(*LoadPod(dir, kHead + sections).project); };
  using V = std::vector<std::string>;

  EXPECT_EQ(chapters("[editpoint_1]\nchapter=1\n[editpoint_2]\nchapter=2\n[editpoint_4]\nchapter=4\n"
                     "[editpoint_last]\nchapter=last\n"),
            (V{"1", "2", "last"}));
  EXPECT_EQ(chapters("[editpoint_1]\nchapter=1\n[editpoint_1b]\nchapter=1b\n[editpoint_2]\nchapter=2\n"),
            (V{"1", "2"}));
  EXPECT_EQ(chapters("[EditPoint_2]\nchapter=2\n[editpoint_1a]\nchapter=1a\n[editpoint_1]\nchapter=1\n"
                     "[editpoint_1B]\nchapter=1b\n"),
            (V{"1", "1a", "1b", "2"}));
  EXPECT_EQ(chapters("[editpoint_1]\nchapter=1\n[editpoint_2]\n; nothing here\n[editpoint_3]\nchapter=3\n"
                     "[editpoint_last]\nchapter=last\n"),
            (V{"1", "last"}));
  EXPECT_EQ(chapters("[editpoint_last]\nchapter=only\n"), (V{"only"}));
  EXPECT_EQ(chapters("[editpoint_last]\nchapter=last\n[editpoint_lasta]\nchapter=never\n"), (V{"last"}));
  EXPECT_EQ(chapters(""), V{});

  const LoadedPod pod = LoadPod(dir, kHead + std::string("[editpoint_1]\n[editpoint_1a]\nchapter=a\n"
                                                          "[editpoint_2]\nchapter=2\n"));
  EXPECT_EQ(pod.project->podCount, 0);  // an empty first section ends the reading before its letters
  const LoadedPod numbered = LoadPod(dir, kHead + std::string("[editpoint_1]\nchapter=1\n[editpoint_1a]\n"
                                                               "chapter=a\n[editpoint_2]\nchapter=2\n"));
  EXPECT_EQ(numbered.project->podCount, 3);
  std::vector<int> indexes;
  for (EditPoint* e : numbered.project->editPoints.Items()) indexes.push_back(e->podIndex);
  EXPECT_EQ(indexes, (std::vector<int>{1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3}));
  std::vector<int> types;
  for (EditPoint* e : numbered.project->editPoints.Items()) types.push_back(e->TypeId());
  EXPECT_EQ(std::vector<int>(types.begin(), types.begin() + 4), (std::vector<int>{2, 3, 4, 5}));
}

TEST(EditPointSection, KeysReachTheirParts) {
  TempDir dir;
  dir.Write("one.jpg", "x");
  dir.Write("def.png", "x");
  dir.Write("a.m4a", "x");
  const LoadedPod pod = LoadPod(dir, kHead + std::string("image=def.png\nfont1=Arial\n"
                                                          "[editpoint_1]\n"
                                                          "start=0:0:1.0\noffset=0:0:2.0\nlength=0:0:3.0\n"
                                                          "audiofile=a.m4a\naudiostart=0:0:4.0\naudiolength=0:0:5.0\n"
                                                          "image=one.jpg\nchapter=Intro\nchapter=\n"
                                                          "href=http://a.example\nhreffontsize=30\nhreffont=Georgia\n"
                                                          "unknown=quietly ignored\n"
                                                          "[editpoint_2]\nimage=DEFAULT\nlinktext=Shop\nlink=http://b\n"
                                                          "[editpoint_3]\nlink=http://c\nlinktext=Later wins\n"));
  ASSERT_TRUE(pod.ok);
  EXPECT_EQ(pod.err, "");
  const auto audio = PartsOf<EditPointAudio>(*pod.project, 2);
  const auto image = PartsOf<EditPointImage>(*pod.project, 3);
  const auto chapter = PartsOf<EditPointChapter>(*pod.project, 4);
  const auto link = PartsOf<EditPointLink>(*pod.project, 5);
  ASSERT_EQ(link.size(), 3u);
  for (EditPoint* part : {static_cast<EditPoint*>(audio[0]), static_cast<EditPoint*>(image[0]),
                          static_cast<EditPoint*>(chapter[0]), static_cast<EditPoint*>(link[0])}) {
    EXPECT_EQ(part->startTime.Value(), 600);  // every part has the section's times
    EXPECT_EQ(part->offset.Value(), 1200);
    EXPECT_EQ(part->length.Value(), 1800);
    EXPECT_EQ(part->timeScale, 600);
  }
  EXPECT_EQ(audio[0]->file, dir.Path("a.m4a"));
  EXPECT_EQ(audio[0]->audioStart.Value(), 2400);
  EXPECT_EQ(audio[0]->audioLength.Value(), 3000);
  EXPECT_EQ(image[0]->file, dir.Path("one.jpg"));
  EXPECT_EQ(image[1]->file, dir.Path("def.png"));
  EXPECT_EQ(chapter[0]->chapter, "Intro");  // "chapter=" does not clear it
  EXPECT_EQ(link[0]->link, "http://a.example");
  EXPECT_EQ(link[0]->linkText, "http://a.example");
  EXPECT_EQ(link[0]->textSettings.fontSize, 30);
  EXPECT_EQ(link[0]->textSettings.fontNumber, 1);
  EXPECT_EQ(link[0]->textSettings.fonts, (StdStringList{"Arial", "Georgia"}));
  EXPECT_EQ(link[1]->textSettings.fontSize, 18);
  EXPECT_EQ(link[1]->linkText, "Shop");
  EXPECT_EQ(link[2]->linkText, "Later wins");
  EXPECT_EQ(chapter[0]->textSettings.fontSize, 0);  // chapters keep the plain defaults
  EXPECT_TRUE(audio[1]->IsEmpty() && chapter[1]->IsEmpty() && !link[1]->IsEmpty());

  const LoadedPod noDefault = LoadPod(dir, kHead + std::string("[editpoint_1]\nimage=default\n"));
  EXPECT_EQ(PartsOf<EditPointImage>(*noDefault.project, 3)[0]->file, "");
  EXPECT_EQ(noDefault.err, "");
}

TEST(EditPointSection, TitlesFormatsAndTitleSections) {
  TempDir dir;
  const LoadedPod pod = LoadPod(dir, kHead + std::string("[deftitleformat]\ntitlefontsize=20\ntitle=Show name\n"
                                                          "titlesection=corner\n"
                                                          "[corner]\ntitletextposition=u\n"
                                                          "[editpoint_1]\nchapter=only a chapter\n"
                                                          "[editpoint_2]\ntitle=Plain\ntitletextcolor=255 0 0\n"
                                                          "title=Red\ntitlesection=credits\ntitle=Last\n"
                                                          "[credits]\ntitleformatpush=\ntitlefontsize=8\n"
                                                          "title=small\ntitle=\ntitleformatpop=\n"));
  ASSERT_TRUE(pod.ok);
  EXPECT_EQ(pod.project->defaultTitles.size(), 1u);
  EXPECT_EQ(pod.project->defaultTitleFormat.textPosition, 2);
  const auto image = PartsOf<EditPointImage>(*pod.project, 3);
  EXPECT_EQ(image[0]->titles.size(), 1u);  // the default title, which does not count as its own
  EXPECT_EQ(image[0]->titleCount, 0);
  EXPECT_TRUE(image[0]->IsEmpty());
  const TitleList& t = image[1]->titles;
  ASSERT_EQ(t.size(), 6u);
  EXPECT_EQ(image[1]->titleCount, 5);
  EXPECT_EQ(t[0].text, "Show name");
  EXPECT_EQ(t[1].text, "Plain");
  EXPECT_EQ(t[1].format.fontSize, 20);
  EXPECT_EQ(t[1].format.textPosition, 2);
  EXPECT_EQ(t[1].format.textColor, 0xFFFFFFu);
  EXPECT_EQ(t[2].format.textColor, 0x0000FFu);
  EXPECT_EQ(t[3].text, "small");
  EXPECT_EQ(t[3].format.fontSize, 8);
  EXPECT_EQ(t[4].text, "");  // an empty title counts inside a title section
  EXPECT_EQ(t[5].text, "Last");
  EXPECT_EQ(t[5].format.fontSize, 20);
  EXPECT_EQ(t[5].format.textColor, 0x0000FFu);
}

TEST(EditPointSection, BadTimesAndMissingFilesAreReportedAndKept) {
  TempDir dir;
  dir.Write("here.m4a", "x");
  const LoadedPod pod = LoadPod(dir, kHead + std::string("[editpoint_1]\nstart=01:30\nchapter=one\n"
                                                          "image=gone.jpg\naudiofile=also gone.m4a\n"
                                                          "[editpoint_2]\noffset=x\nlength=1:2\n"
                                                          "audiostart=7\naudiolength=0:0\n"
                                                          "[editpoint_3]\naudiofile=missing.m4a\n"
                                                          "[editpoint_4]\nimage=slides\\gone.jpg\naudiofile=here.m4a\n"));
  ASSERT_TRUE(pod.ok);
  std::string expected;
  for (int i = 0; i < 5; ++i) expected += "the chapter start time string is invalid: 01:30\n";
  expected += "can not locate image file \"gone.jpg\"\n";
  for (int i = 0; i < 5; ++i) expected += "the offset time string is invalid: x\n";
  for (int i = 0; i < 5; ++i) expected += "the length time string is invalid: 1:2\n";
  expected += "the start time string is invalid: 7\n";
  expected += "the duration time string is invalid: 0:0\n";
  expected += "can not locate audio file \"missing.m4a\"\n";
  expected += "can not locate image file \"slides\\gone.jpg\"\n";
  EXPECT_EQ(pod.err, expected);
  EXPECT_EQ(pod.project->podCount, 4);
  const auto audio = PartsOf<EditPointAudio>(*pod.project, 2);
  const auto image = PartsOf<EditPointImage>(*pod.project, 3);
  EXPECT_EQ(image[0]->file, "gone.jpg");
  EXPECT_EQ(audio[0]->file, "also gone.m4a");  // not looked up once the image failed
  EXPECT_EQ(audio[3]->file, "here.m4a");
  EXPECT_EQ(image[0]->startTime.Value(), 0);
  EXPECT_EQ(PartsOf<EditPointChapter>(*pod.project, 4)[0]->chapter, "one");
}
