#pragma once
#include "imaging/MediaFormat.h"
#include "imaging/TitleList.h"
#include "platform/helper/UString.h"
#include "project/EditPoint.h"

// A new slide: an image file, the titles drawn on it and the format the next title gets.
class EditPointImage : public EditPoint {
 public:
  using EditPoint::EditPoint;
  using EditPoint::Dump;

  std::int32_t TypeId() const override { return 3; }
  void Dump(DumpPrinter print) const override;
  // Titles copied from the project's defaults do not count: only its own do.
  bool IsEmpty() const override { return file.empty() && titleCount == 0; }
  bool ReadKey(const std::string& key, const std::string& value) override;

  UString file;
  MediaFormat titleFormat;
  TitleList titles;
  std::int32_t titleCount = 0;
};
