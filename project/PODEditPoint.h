#pragma once
#include <cstdint>

#include "platform/helper/StdStringPairs.h"
#include "project/EditPoint.h"
#include "project/EditPointAudio.h"
#include "project/EditPointChapter.h"
#include "project/EditPointImage.h"
#include "project/EditPointLink.h"

class PodProject;
class UPreferences;

// The four edit points of one section, sharing its number and times. The
// group either owns its parts (while a section is read) or only points at
// parts that a list owns.
class PODEditPoint : public EditPoint {
 public:
  // A group that makes and owns four empty parts.
  PODEditPoint(std::int32_t timeScale, std::int32_t podIndex);
  // A group over parts owned elsewhere, with the times of `source`; any part may be null.
  PODEditPoint(const EditPoint& source, EditPointAudio* audio, EditPointImage* image, EditPointChapter* chapter,
               EditPointLink* link);
  ~PODEditPoint() override;

  // Reads one section's pairs into the parts and looks up its files; false
  // when a file is not found (the parts are read all the same).
  bool Read(const StdStringPairs& pairs, const UPreferences& prefs, PodProject& project);
  void SetStart(std::int64_t value, std::int32_t scale);
  void SetLength(std::int64_t value, std::int32_t scale);

  bool ownsParts;
  EditPointAudio* audio;
  EditPointImage* image;
  EditPointChapter* chapter;
  EditPointLink* link;

 private:
  void ReadPair(const UString& key, const UString& value, const UPreferences& prefs);
  bool LocateFiles(PodProject& project);
  template <class Apply> void ForEachPart(Apply apply);
};
