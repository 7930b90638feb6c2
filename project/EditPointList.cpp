#include "project/EditPointList.h"

namespace {
// Two's-complement sums: no time that a project gives may make arithmetic undefined.
std::int64_t WrapSum(std::int64_t a, std::uint64_t b) { return std::int64_t(std::uint64_t(a) + b); }
}  // namespace

EditPointList::~EditPointList() {
  if (!ownsItems) return;
  for (EditPoint* entry : items) delete entry;
}

bool EditPointList::AddPOD(PODEditPoint& group) {
  if (!group.audio || !group.image || !group.chapter || !group.link) return false;
  items.insert(items.end(), {group.audio, group.image, group.chapter, group.link});
  group.audio = nullptr;
  group.image = nullptr;
  group.chapter = nullptr;
  group.link = nullptr;
  return true;
}

std::unique_ptr<PODEditPoint> EditPointList::MakePODEditPoint(std::int32_t podIndex) const {
  if (podIndex < 0 || std::size_t(podIndex) >= items.size()) return nullptr;
  EditPoint* source = nullptr;
  EditPointAudio* audio = nullptr;
  EditPointImage* image = nullptr;
  EditPointChapter* chapter = nullptr;
  EditPointLink* link = nullptr;
  for (EditPoint* entry : items) {
    if (entry->podIndex != podIndex) continue;
    switch (entry->TypeId()) {
      case 2: audio = static_cast<EditPointAudio*>(entry); break;
      case 3: image = static_cast<EditPointImage*>(entry); break;
      case 4: chapter = static_cast<EditPointChapter*>(entry); break;
      case 5: link = static_cast<EditPointLink*>(entry); break;
      default: continue;
    }
    source = entry;
  }
  if (!source) return nullptr;
  return std::make_unique<PODEditPoint>(*source, audio, image, chapter, link);
}

// The first section always has a slide and a chapter, so that the movie
// starts with one; an empty first sound or link stays only to hold the start.
bool EditPointList::KeepInTrack(EditPoint& entry) {
  if (!entry.IsEmpty()) return true;
  if (entry.podIndex != 1) return false;
  if (entry.TypeId() == 3) {
    auto& image = static_cast<EditPointImage&>(entry);
    image.titles.Add("", image.titleFormat);
    ++image.titleCount;
  } else if (entry.TypeId() == 4) {
    static_cast<EditPointChapter&>(entry).chapter = "Chapter 1";
  }
  return true;
}

std::unique_ptr<EPTrackList> EditPointList::MakeTrackList(std::int32_t type, std::int32_t trackScale,
                                                          std::int64_t totalDuration) {
  if (items.empty()) return nullptr;
  auto track = std::make_unique<EPTrackList>(type);
  for (EditPoint* entry : items) {
    if (entry->TypeId() != type || !KeepInTrack(*entry)) continue;
    if (track->empty()) {
      entry->epStartTime = 0;
    } else {
      EditPoint& previous = *track->back();
      entry->epStartTime = entry->startTime.Value64In(entry->startTime.scale) > 0
                               ? entry->startTime.Value64In(trackScale)
                               : WrapSum(previous.epStartTime, std::uint64_t(entry->offset.Value64In(trackScale)));
      previous.epDuration = WrapSum(entry->epStartTime, -std::uint64_t(previous.epStartTime));
    }
    track->push_back(entry);
  }
  if (!track->empty()) {
    EditPoint& last = *track->back();
    last.epDuration =
        totalDuration >= last.epStartTime ? WrapSum(totalDuration, -std::uint64_t(last.epStartTime)) : trackScale;
  }
  if (track->size() == 1 && track->front()->IsEmpty()) track->clear();
  return track;
}

std::unique_ptr<EPTrackList> EditPointList::MakeAudioList(std::int32_t trackScale, std::int64_t totalDuration) {
  return MakeTrackList(2, trackScale, totalDuration);
}

std::unique_ptr<EPTrackList> EditPointList::MakeImageList(std::int32_t trackScale, std::int64_t totalDuration) {
  return MakeTrackList(3, trackScale, totalDuration);
}

std::unique_ptr<EPTrackList> EditPointList::MakeChapterList(std::int32_t trackScale, std::int64_t totalDuration) {
  return MakeTrackList(4, trackScale, totalDuration);
}

std::unique_ptr<EPTrackList> EditPointList::MakeLinkList(std::int32_t trackScale, std::int64_t totalDuration) {
  return MakeTrackList(5, trackScale, totalDuration);
}
