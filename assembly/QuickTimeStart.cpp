#include "assembly/QuickTimeStart.h"

#include "platform/quicktime/Movies.h"

bool StartQuickTime() {
  static const bool started = [] {
    constexpr long kUseQuickTimeFlags = 0x40;
    InitializeQTML(kUseQuickTimeFlags);
    EnterMovies();
    return true;
  }();
  (void)started;
  long response = 0;
  return Gestalt(gestaltQuickTime, &response) == noErr;
}
