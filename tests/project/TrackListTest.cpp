#include <cstdarg>
#include <cstdio>

#include "PodFixture.h"

namespace {
struct Slot {
  int podIndex, start, duration;
  bool operator==(const Slot&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Slot& s) {
  return os << "{" << s.podIndex << ", " << s.start << ", " << s.duration << "}";
}

std::vector<Slot> Slots(const EPTrackList& list) {
  std::vector<Slot> slots;
  for (EditPoint* e : list) slots.push_back({e->podIndex, e->epStartTime, e->epDuration});
  return slots;
}

using Slots_ = std::vector<Slot>;

void ToStdout(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  std::vprintf(fmt, args);
  va_end(args);
}
const char* kHead = "[podcast]\nbasename=b\n";
}  // namespace

TEST(TrackList, StartsAndDurationsFromStartsAndOffsets) {
  TempDir dir;
  // Gaps (section 2 has no image), an offset after a start, a zero start that
  // counts as none, a start out of order and a last start past the end.
  const LoadedPod pod = LoadPod(dir, kHead + std::string("[editpoint_1]\nchapter=One\n"
                                                          "[editpoint_2]\nstart=0:0:10.0\nchapter=Two\n"
                                                          "[editpoint_3]\noffset=0:0:5.300\nchapter=Three\ntitle=T3\n"
                                                          "[editpoint_4]\nstart=0:0:0.0\noffset=0:0:1.0\nchapter=Four\n"
                                                          "[editpoint_5]\nstart=0:0:12.0\nchapter=Back\ntitle=T5\n"
                                                          "[editpoint_6]\nstart=0:2:0.0\nchapter=Late\n"));
  ASSERT_TRUE(pod.ok) << pod.err;
  EditPointList& list = pod.project->editPoints;
  const auto chapters = list.MakeChapterList(600, 60 * 600);
  ASSERT_TRUE(chapters);
  EXPECT_EQ(chapters->trackType, 4);
  EXPECT_EQ(Slots(*chapters), (Slots_{{1, 0, 6000},
                                      {2, 6000, 3300},
                                      {3, 9300, 600},
                                      {4, 9900, -2700},  // a start before the previous one: no check, as written
                                      {5, 7200, 64800},
                                      {6, 72000, 600}}));  // past the movie's end: one second

  const auto images = list.MakeImageList(600, 60 * 600);
  EXPECT_EQ(Slots(*images), (Slots_{{1, 0, 3300}, {3, 3300, 3900}, {5, 7200, 28800}}));  // offsets from this track's own entries
  ASSERT_EQ(static_cast<EditPointImage*>(images->front())->titles.size(), 1u);  // the first slide gets a title
  EXPECT_EQ(static_cast<EditPointImage*>(images->front())->titles[0].text, "");

  EXPECT_TRUE(list.MakeAudioList(600, 36000)->empty());  // only the empty first section: none
  EXPECT_TRUE(list.MakeLinkList(600, 36000)->empty());
}

TEST(TrackList, OtherScalesAndTheFirstSection) {
  TempDir dir;
  dir.Write("a.m4a", "x");
  dir.Write("b.m4a", "x");
  const LoadedPod pod = LoadPod(dir, std::string(kHead) + "timescale=1000\n"
                                         "[editpoint_1]\nchapter=\n"  // there, but with nothing to show
                                         "[editpoint_2]\nstart=0:0:2.500\naudiofile=a.m4a\nhref=http://x\n"
                                         "[editpoint_3]\noffset=0:0:1.250\naudiofile=b.m4a\n");
  ASSERT_TRUE(pod.ok) << pod.err;
  EditPointList& list = pod.project->editPoints;
  ASSERT_EQ(pod.project->podCount, 3);
  EXPECT_EQ(PartsOf<EditPointAudio>(*pod.project, 2)[1]->startTime.Value(), 2500);  // units of the project's scale

  const auto audio = list.MakeAudioList(44100, 441000);
  EXPECT_EQ(Slots(*audio), (Slots_{{1, 0, 110250}, {2, 110250, 55125}, {3, 165375, 441000 - 165375}}));
  const auto links = list.MakeLinkList(600, 6000);  // a second call in another scale keeps the first's entries apart
  EXPECT_EQ(Slots(*links), (Slots_{{1, 0, 1500}, {2, 1500, 4500}}));
  EXPECT_EQ(audio->at(1)->epStartTime, 110250);  // not the same edit points as the links'

  const auto chapters = list.MakeChapterList(600, 6000);
  ASSERT_EQ(chapters->size(), 1u);  // section 1 gets a chapter of its own
  EXPECT_EQ(static_cast<EditPointChapter*>(chapters->front())->chapter, "Chapter 1");
  EXPECT_EQ(Slots(*chapters), (Slots_{{1, 0, 6000}}));

  EditPointList empty;
  EXPECT_EQ(empty.MakeImageList(600, 600), nullptr);
}

TEST(TrackList, RegroupingSectionsForTheAudioBook) {
  TempDir dir;
  const LoadedPod pod = LoadPod(dir, kHead + std::string("[editpoint_1]\nchapter=A\n[editpoint_2]\nchapter=B\n"
                                                          "start=0:0:3.0\n"));
  EditPointList& list = pod.project->editPoints;
  EXPECT_EQ(list.MakePODEditPoint(-1), nullptr);
  EXPECT_EQ(list.MakePODEditPoint(3), nullptr);  // no such section
  const auto group = list.MakePODEditPoint(2);
  ASSERT_TRUE(group);
  EXPECT_FALSE(group->ownsParts);
  EXPECT_EQ(group->chapter->chapter, "B");
  EXPECT_EQ(group->startTime.Value(), 1800);
  group->SetStart(9000, 1000);
  group->SetLength(500, 0);
  for (EditPoint* part : {static_cast<EditPoint*>(group->audio), static_cast<EditPoint*>(group->image),
                          static_cast<EditPoint*>(group->chapter), static_cast<EditPoint*>(group->link)}) {
    EXPECT_EQ(part->startTime.scale, 1000);
    EXPECT_EQ(part->startTime.Value(), 9000);
    EXPECT_EQ(part->length.Value(), 500);
  }
  PODEditPoint partial(*group, nullptr, nullptr, group->chapter, nullptr);
  EXPECT_FALSE(list.AddPOD(partial));  // a group with a part missing is not taken
}

TEST(TrackList, DumpsShowEveryField) {
  TempDir dir;
  dir.Write("a.jpg", "x");
  const LoadedPod pod = LoadPod(dir, kHead + std::string("[editpoint_1]\nstart=0:0:1.0\nimage=a.jpg\ntitle=Hi\n"
                                                          "audiostart=0:0:2.0\nchapter=C\nhref=L\nlinktext=T\n"));
  testing::internal::CaptureStdout();
  for (EditPoint* e : pod.project->editPoints.Items()) e->Dump(ToStdout);
  const std::string dump = testing::internal::GetCapturedStdout();
  const std::string common =
      "    podIndex         1\n    startTime        600\n    offset           0\n    length           0\n"
      "    epStartTime      0\n    epDuration       0\n";
  EXPECT_EQ(dump, "  EditPointAudio dump\n" + common +
                      "    start            1200/600\n    duration         0/600\n    file             \n\n"
                      "  EditPointImage dump\n" + common + "    file             " + dir.Path("a.jpg") +
                      "\n    title            Hi\n\n"
                      "  EditPointChapter dump\n" + common + "    chapter          C\n\n"
                      "  EditPointLink dump\n" + common + "    link             L\n    link text        T\n\n");
}
