// Commands whose work has not been built yet. Each says so and ends the run
// with status 3 rather than pretend to succeed; each goes when its real
// implementation arrives.
#include <cstdlib>

#include "assembly/BuildCommands.h"
#include "project/PodGenerators.h"
#include "shell/ErrorPrintf.h"
#include "shell/MediaReport.h"
#include "shell/TestCommands.h"
#include "shell/WavConversion.h"

namespace {
[[noreturn]] void NotYet(const char* command) {
  ErrorPrintf("the command %s is not available in this version\n", command);
  std::exit(3);
}
}  // namespace


bool ConvertWavToAac(JOB&, const StdStringList&) { NotYet("cw4"); }


bool MediaInfo(JOB&, const UString&, int mode) { NotYet(mode == 2 ? "fi2" : "fi"); }


void RunTest(int, const StdStringList&, const StdStringList&) { NotYet("test"); }


bool BuildPodFile(const UString&, const UString&, const UString&, const UString&) { NotYet("build"); }


bool PodFromAudioList(JOB&, const UString&) { NotYet("pn"); }

bool PodFromImageList(JOB&, long, const UString&) { NotYet("pi"); }
