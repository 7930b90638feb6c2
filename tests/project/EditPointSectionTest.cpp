#include "PodFixture.h"

namespace {
const std::string kHead = "[podcast]\nbasename=b\n";

std::string Chapters(const TempDir& dir, const std::string& sections) {
  const LoadedPod pod = LoadPod(dir, kHead + sections);
  std::string texts;
  for (EditPointChapter* c : PartsOf<EditPointChapter>(*pod.project, 4)) texts += c->chapter + ";";
  return texts;
}
}  // namespace

TEST(EditPointSection, WhichSectionsAreReadAndInWhatOrder) {
  TempDir dir;
  EXPECT_EQ(Chapters(dir, "[editpoint_1]\nchapter=1\n[editpoint_2]\nchapter=2\n[editpoint_4]\nchapter=4\n"
                          "[editpoint_last]\nchapter=last\n[editpoint_lasta]\nchapter=never\n"),
            "1;2;last;");
  EXPECT_EQ(Chapters(dir, "[editpoint_1]\nchapter=1\n[editpoint_1b]\nchapter=1b\n[editpoint_2]\nchapter=2\n"), "1;2;");
  EXPECT_EQ(Chapters(dir, "[EditPoint_2]\nchapter=2\n[editpoint_1a]\nchapter=1a\n[editpoint_1]\nchapter=1\n"
                          "[editpoint_1B]\nchapter=1b\n"),
            "1;1a;1b;2;");
  EXPECT_EQ(Chapters(dir, "[editpoint_1]\nchapter=1\n[editpoint_2]\n; no keys\n[editpoint_3]\nchapter=3\n"
                          "[editpoint_last]\nchapter=last\n"),
            "1;last;");
  EXPECT_EQ(Chapters(dir, "[editpoint_1]\n[editpoint_1a]\nchapter=a\n"), "");
  EXPECT_EQ(Chapters(dir, ""), "");

  const LoadedPod pod = LoadPod(dir, kHead + "[editpoint_1]\nchapter=1\n[editpoint_1a]\nchapter=a\n");
  std::string order;
  for (EditPoint* e : pod.project->editPoints.Items()) order += std::to_string(e->podIndex * 10 + e->TypeId()) + " ";
  EXPECT_EQ(order, "12 13 14 15 22 23 24 25 ");
}

TEST(EditPointSection, KeysReachTheirParts) {
  TempDir dir;
  dir.Write("one.jpg", "x");
  dir.Write("def.png", "x");
  dir.Write("a.m4a", "x");
  const LoadedPod pod = LoadPod(dir, kHead + "image=def.png\nfont1=Arial\n"
                                             "[editpoint_1]\nstart=0:0:1.0\noffset=0:0:2.0\nlength=0:0:3.0\n"
                                             "audiofile=a.m4a\naudiostart=0:0:4.0\naudiolength=0:0:5.0\nimage=one.jpg\n"
                                             "chapter=Intro\nchapter=\nhref=http://a\nhreffontsize=30\nhreffont=Georgia\n"
                                             "unknown=quietly ignored\n"
                                             "[editpoint_2]\nimage=DEFAULT\nlinktext=Shop\nlink=http://b\n"
                                             "[editpoint_3]\nlink=http://c\nlinktext=Later wins\n");
  ASSERT_TRUE(pod.ok);
  EXPECT_EQ(pod.err, "");
  const auto audio = PartsOf<EditPointAudio>(*pod.project, 2);
  const auto image = PartsOf<EditPointImage>(*pod.project, 3);
  const auto link = PartsOf<EditPointLink>(*pod.project, 5);
  const EditPointChapter& chapter = *PartsOf<EditPointChapter>(*pod.project, 4)[0];
  for (const EditPoint* part : std::vector<EditPoint*>{audio[0], image[0], link[0]})
    EXPECT_EQ(part->startTime.Value() + part->offset.Value() * 10 + part->length.Value() * 100, 192600);
  EXPECT_EQ(audio[0]->file, dir.Path("a.m4a"));
  EXPECT_EQ(audio[0]->audioStart.Value() + audio[0]->audioLength.Value(), 5400);
  EXPECT_EQ(image[0]->file, dir.Path("one.jpg"));
  EXPECT_EQ(image[1]->file, dir.Path("def.png"));
  EXPECT_EQ(chapter.chapter, "Intro");  // "chapter=" does not clear it
  EXPECT_EQ(chapter.textSettings.fontSize, 0);  // chapters keep the plain defaults
  EXPECT_EQ(link[0]->linkText, "http://a");
  EXPECT_EQ(link[0]->textSettings.fontSize, 30);
  EXPECT_EQ(link[0]->textSettings.fonts, (StdStringList{"Arial", "Georgia"}));
  EXPECT_EQ(link[1]->textSettings.fontSize, 18);
  EXPECT_EQ(link[1]->linkText, "Shop");
  EXPECT_EQ(link[2]->linkText, "Later wins");
  EXPECT_EQ(PartsOf<EditPointImage>(*LoadPod(dir, kHead + "[editpoint_1]\nimage=default\n").project, 3)[0]->file, "");
}

TEST(EditPointSection, TitlesFormatsAndTitleSections) {
  TempDir dir;
  const LoadedPod pod = LoadPod(dir, kHead + "[deftitleformat]\ntitlefontsize=20\ntitle=Show\ntitlesection=corner\n"
                                             "[corner]\ntitletextposition=u\n"
                                             "[editpoint_1]\nchapter=only a chapter\n"
                                             "[editpoint_2]\ntitle=Plain\ntitletextcolor=255 0 0\ntitle=Red\n"
                                             "titlesection=credits\ntitle=Last\n"
                                             "[credits]\ntitleformatpush=\ntitlefontsize=8\ntitle=small\ntitle=\n"
                                             "titleformatpop=\n");
  const auto image = PartsOf<EditPointImage>(*pod.project, 3);
  EXPECT_EQ(image[0]->titles.size(), 1u);  // the default title does not count as its own
  EXPECT_TRUE(image[0]->IsEmpty());
  const TitleList& t = image[1]->titles;
  ASSERT_EQ(t.size(), 6u);
  EXPECT_EQ(image[1]->titleCount, 5);
  std::string seen;
  for (const TitleItem& item : t)
    seen += item.text + "/" + std::to_string(item.format.fontSize) + "/" + std::to_string(item.format.textPosition) +
            "/" + std::to_string(item.format.textColor) + ";";
  EXPECT_EQ(seen, "Show/20/0/16777215;Plain/20/2/16777215;Red/20/2/255;small/8/2/255;/8/2/255;Last/20/2/255;");
}

TEST(EditPointSection, BadTimesAndMissingFilesAreReportedAndKept) {
  TempDir dir;
  dir.Write("here.m4a", "x");
  const LoadedPod pod = LoadPod(dir, kHead + "[editpoint_1]\nchapter=one\nimage=gone.jpg\naudiofile=also gone.m4a\n"
                                             "[editpoint_2]\noffset=x\naudiostart=7\naudiolength=0:0\n"
                                             "[editpoint_3]\naudiofile=missing.m4a\n"
                                             "[editpoint_4]\nimage=slides\\gone.jpg\naudiofile=here.m4a\n");
  ASSERT_TRUE(pod.ok);
  std::string offset;
  for (int i = 0; i < 5; ++i) offset += "the offset time string is invalid: x\n";
  EXPECT_EQ(pod.err, "can not locate image file \"gone.jpg\"\n" + offset +
                         "the start time string is invalid: 7\nthe duration time string is invalid: 0:0\n"
                         "can not locate audio file \"missing.m4a\"\ncan not locate image file \"slides\\gone.jpg\"\n");
  EXPECT_EQ(pod.project->podCount, 4);
  const auto audio = PartsOf<EditPointAudio>(*pod.project, 2);
  EXPECT_EQ(PartsOf<EditPointImage>(*pod.project, 3)[0]->file, "gone.jpg");
  EXPECT_EQ(audio[0]->file, "also gone.m4a");  // not looked up once the image failed
  EXPECT_EQ(audio[3]->file, "here.m4a");
}
