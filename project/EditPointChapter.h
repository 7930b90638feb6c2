#pragma once
#include "formats/TextSampleSettings.h"
#include "platform/helper/UString.h"
#include "project/EditPoint.h"

// A new chapter: its title in the chapter track.
class EditPointChapter : public EditPoint {
 public:
  using EditPoint::EditPoint;
  using EditPoint::Dump;

  std::int32_t TypeId() const override { return 4; }
  void Dump(DumpPrinter print) const override;
  bool IsEmpty() const override { return chapter.empty(); }
  bool ReadKey(const std::string& key, const std::string& value) override;

  UString chapter;
  TextSampleSettings textSettings;
};
