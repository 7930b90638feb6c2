#include "assembly/FlattenProgress.h"

#include <cstdio>

#include "platform/helper/ErrorPrintf.h"
#include "platform/helper/Messages.h"

// The share is drawn just after the "!"s and the cursor sent back over it, so
// the next "!" takes its place and the line ends as standard output wrote it.
OSErr FlattenProgress(Movie, short message, short, Fixed percentDone, long) {
  std::printf("!");
  std::fflush(stdout);
  if (!ErrorStreamIsTerminal()) return noErr;
  if (message == movieProgressClose) {
    ErrorPrintf("     \b\b\b\b\b");
    return noErr;
  }
  ErrorPrintf(" %3d%%\b\b\b\b\b", int((std::int64_t(percentDone) * 100) >> 16));
  return noErr;
}
