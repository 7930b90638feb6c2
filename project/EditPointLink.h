#pragma once
#include "formats/TextSampleSettings.h"
#include "platform/helper/UString.h"
#include "project/EditPoint.h"

// A new web link: its URL, the text shown for it and how that text looks.
class EditPointLink : public EditPoint {
 public:
  using EditPoint::EditPoint;
  using EditPoint::Dump;

  std::int32_t TypeId() const override { return 5; }
  void Dump(DumpPrinter print) const override;
  bool IsEmpty() const override { return link.empty(); }
  bool ReadKey(const std::string& key, const std::string& value) override;

  UString link;
  UString linkText;
  TextSampleSettings textSettings;
};
