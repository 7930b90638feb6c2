#pragma once
#include "platform/quicktime/QtTypes.h"

// What the toolbox remembers between calls: whether it was started and the
// result of the last call, for GetMoviesError.
class ToolboxState {
 public:
  // Notes `err` as the last result and gives it back.
  static OSErr Result(OSErr err);
  static OSErr LastResult();
  // False when the environment says the toolbox is not installed.
  static bool Installed();
  static void SetStarted(bool started);
  static bool Started();
};
