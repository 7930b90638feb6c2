#pragma once
#include <vector>

#include "imaging/MediaFormatBase.h"

// A title format that remembers saved states: "formatpush" saves the
// current fields, "formatpop" brings back the last saved ones.
class MediaFormat : public MediaFormatBase {
 public:
  void Push() override;
  void Pop() override;

  // Back = most recently saved. A vector, not a deque: every title holds a
  // format, and an empty deque still allocates.
  std::vector<MediaFormatBase> formatStack;
};
