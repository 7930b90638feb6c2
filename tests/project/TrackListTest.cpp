#include "PodFixture.h"

namespace {
// "podIndex:start+duration" of each entry.
std::string Slots(const std::unique_ptr<EPTrackList>& list) {
  std::string text;
  for (EditPoint* e : *list)
    text += std::to_string(e->podIndex) + ":" + std::to_string(e->epStartTime) + "+" + std::to_string(e->epDuration) + " ";
  return text;
}

const std::string kHead = "[podcast]\nbasename=b\n";
}  // namespace

TEST(TrackList, StartsAndDurationsFromStartsAndOffsets) {
  TempDir dir;
  // Gaps (no image in 2, 4, 6), an offset after a start, a zero start that counts as
  // none, a start out of order and a last start past the end.
  const LoadedPod pod = LoadPod(dir, kHead + "[editpoint_1]\nchapter=One\n"
                                             "[editpoint_2]\nstart=0:0:10.0\nchapter=Two\n"
                                             "[editpoint_3]\noffset=0:0:5.300\nchapter=Three\ntitle=T3\n"
                                             "[editpoint_4]\nstart=0:0:0.0\noffset=0:0:1.0\nchapter=Four\n"
                                             "[editpoint_5]\nstart=0:0:12.0\nchapter=Back\ntitle=T5\n"
                                             "[editpoint_6]\nstart=0:2:0.0\nchapter=Late\n");
  EditPointList& list = pod.project->editPoints;
  EXPECT_EQ(Slots(list.MakeChapterList(600, 36000)), "1:0+6000 2:6000+3300 3:9300+600 4:9900+-2700 5:7200+64800 6:72000+600 ");
  const auto images = list.MakeImageList(600, 36000);
  EXPECT_EQ(Slots(images), "1:0+3300 3:3300+3900 5:7200+28800 ");  // offsets from this track's own entries
  EXPECT_EQ(static_cast<EditPointImage*>(images->front())->titles.at(0).text, "");  // the first slide gets a title
  EXPECT_TRUE(list.MakeAudioList(600, 36000)->empty());  // only the empty first section: none
  EXPECT_TRUE(list.MakeLinkList(600, 36000)->empty());
  EXPECT_EQ(EditPointList().MakeImageList(600, 600), nullptr);
}

TEST(TrackList, OtherScalesAndTheFirstSection) {
  TempDir dir;
  dir.Write("a.m4a", "x");
  dir.Write("b.m4a", "x");
  const LoadedPod pod = LoadPod(dir, kHead + "timescale=1000\n[editpoint_1]\nchapter=\n"  // there, nothing to show
                                             "[editpoint_2]\nstart=0:0:2.500\naudiofile=a.m4a\nhref=http://x\n"
                                             "[editpoint_3]\noffset=0:0:1.250\naudiofile=b.m4a\n[editpoint_4]\noffset=0:0:1.0\naudiofile=gone.m4a\n");
  EditPointList& list = pod.project->editPoints;
  const auto audio = list.MakeAudioList(44100, 441000);
  EXPECT_EQ(pod.err, "can not locate audio file \"gone.m4a\"\n");
  EXPECT_EQ(Slots(audio), "1:0+110250 2:110250+55125 3:165375+44100 4:209475+231525 ");  // a missing file keeps its slot
  EXPECT_EQ(Slots(list.MakeLinkList(600, 6000)), "1:0+1500 2:1500+4500 ");
  EXPECT_EQ(audio->at(1)->epStartTime, 110250);  // another track's list leaves this one alone
  const auto chapters = list.MakeChapterList(600, 6000);
  EXPECT_EQ(Slots(chapters), "1:0+6000 ");
  EXPECT_EQ(static_cast<EditPointChapter*>(chapters->front())->chapter, "Chapter 1");
}

TEST(TrackList, RegroupingSectionsForTheAudioBook) {
  TempDir dir;
  const LoadedPod pod = LoadPod(dir, kHead + "[editpoint_1]\nchapter=A\n[editpoint_2]\nchapter=B\nstart=0:0:3.0\n");
  EditPointList& list = pod.project->editPoints;
  EXPECT_EQ(list.MakePODEditPoint(-1), nullptr);
  EXPECT_EQ(list.MakePODEditPoint(3), nullptr);
  const auto group = list.MakePODEditPoint(2);
  ASSERT_TRUE(group);
  EXPECT_EQ(group->chapter->chapter, "B");
  EXPECT_EQ(group->startTime.Value(), 1800);
  group->SetStart(9000, 1000);
  group->SetLength(500, 0);
  for (const EditPoint* part : std::vector<EditPoint*>{group->audio, group->image, group->chapter, group->link})
    EXPECT_EQ(part->startTime.scale + part->startTime.Value() + part->length.Value(), 10500);
  PODEditPoint partial(*group, nullptr, nullptr, group->chapter, nullptr);
  EXPECT_FALSE(list.AddPOD(partial));  // a group with a part missing is not taken
}

TEST(TrackList, BooksPastThirteenAndAHalfHoursKeepExactSlots) {
  TempDir dir;
  // at 44100 units a second, 32 bits end after 13:31:35; these starts lie past it
  const LoadedPod pod = LoadPod(dir, kHead + "timescale=44100\n[editpoint_1]\nchapter=One\n"
                                             "[editpoint_2]\nstart=14:0:0.0\nchapter=Two\n"
                                             "[editpoint_3]\noffset=10:0:0.1\nchapter=Three\n");
  const std::int64_t hour = 3600LL * 44100, total = 30 * hour + 7;
  const auto chapters = pod.project->editPoints.MakeChapterList(44100, total);
  EXPECT_EQ(Slots(chapters), "1:0+" + std::to_string(14 * hour) + " 2:" + std::to_string(14 * hour) + "+" +
                                 std::to_string(10 * hour + 1) + " 3:" + std::to_string(24 * hour + 1) + "+" +
                                 std::to_string(6 * hour + 6) + " ");
  // the same book in the movie's own 600: the slots add up to the whole
  const auto inMovie = pod.project->editPoints.MakeChapterList(600, 30 * 3600 * 600);
  std::int64_t sum = 0;
  for (EditPoint* e : *inMovie) sum += e->epDuration;
  EXPECT_EQ(sum, 30 * 3600 * 600);
  EXPECT_EQ(inMovie->back()->epStartTime, 24 * 3600 * 600);

  const auto group = pod.project->editPoints.MakePODEditPoint(3);
  ASSERT_TRUE(group);
  group->SetStart(40 * hour + 3, 44100);
  EXPECT_EQ(group->chapter->startTime.Value64In(44100), 40 * hour + 3);
}
