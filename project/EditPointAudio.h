#pragma once
#include "platform/helper/UString.h"
#include "project/EditPoint.h"

// A new audio file, and the part of it that plays.
class EditPointAudio : public EditPoint {
 public:
  using EditPoint::EditPoint;
  using EditPoint::Dump;

  std::int32_t TypeId() const override { return 2; }
  void Dump(DumpPrinter print) const override;
  bool IsEmpty() const override { return file.empty(); }
  bool ReadKey(const std::string& key, const std::string& value) override;

  ScaledTime audioStart{timeScale};
  ScaledTime audioLength{timeScale};
  UString file;
};
