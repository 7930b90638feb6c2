// Commands whose work has not been built yet. Each says so and ends the run
// with status 3 rather than pretend to succeed; each goes when its real
// implementation arrives.
#include <cstdlib>

#include "assembly/BuildCommands.h"
#include "project/PodGenerators.h"
#include "shell/JOB.h"
#include "platform/helper/ErrorPrintf.h"
#include "shell/WavConversion.h"

namespace {
[[noreturn]] void NotYet(const char* command) {
  ErrorPrintf("the command %s is not available in this version\n", command);
  std::exit(3);
}
}  // namespace


bool ConvertWavToAac(JOB&, const StdStringList&) { NotYet("cw4"); }


bool PodFromAudioList(JOB&, const UString&) { NotYet("pn"); }

bool PodFromImageList(JOB&, long, const UString&) { NotYet("pi"); }
