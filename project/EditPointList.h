#pragma once
#include <cstdint>
#include <memory>

#include "project/EPTrackList.h"
#include "project/PODEditPoint.h"

// Every edit point of a project, in section order (audio, image, chapter,
// link for each section). It owns them unless told otherwise.
class EditPointList {
 public:
  EditPointList() = default;
  EditPointList(const EditPointList&) = delete;
  EditPointList& operator=(const EditPointList&) = delete;
  ~EditPointList();

  // Moves the four parts of an owning group into the list; false (and no
  // change) when a part is missing.
  bool AddPOD(PODEditPoint& group);
  // A group pointing at the parts of section `podIndex`, or null.
  std::unique_ptr<PODEditPoint> MakePODEditPoint(std::int32_t podIndex) const;
  // The non-empty edit points of one type with their starts and durations
  // worked out; null when the list is empty.
  std::unique_ptr<EPTrackList> MakeTrackList(std::int32_t type, std::int32_t trackScale, std::int64_t totalDuration);
  std::unique_ptr<EPTrackList> MakeAudioList(std::int32_t trackScale, std::int64_t totalDuration);
  std::unique_ptr<EPTrackList> MakeImageList(std::int32_t trackScale, std::int64_t totalDuration);
  std::unique_ptr<EPTrackList> MakeChapterList(std::int32_t trackScale, std::int64_t totalDuration);
  std::unique_ptr<EPTrackList> MakeLinkList(std::int32_t trackScale, std::int64_t totalDuration);

  const EditPoints& Items() const { return items; }

  bool ownsItems = true;

 private:
  static bool KeepInTrack(EditPoint& entry);
  EditPoints items;
};
