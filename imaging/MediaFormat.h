#pragma once
#include <deque>

#include "imaging/MediaFormatBase.h"

// A title format that remembers saved states: "formatpush" saves the
// current fields, "formatpop" brings back the last saved ones.
class MediaFormat : public MediaFormatBase {
 public:
  void Push() override;
  void Pop() override;

  std::deque<MediaFormatBase> formatStack;  // front = most recently saved
};
