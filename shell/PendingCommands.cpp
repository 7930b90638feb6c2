// Commands whose work has not been built yet. Each says so and ends the run
// with status 3 rather than pretend to succeed; each goes when its real
// implementation arrives.
#include <cstdlib>

#include "assembly/BuildCommands.h"
#include "platform/helper/FileSystem.h"
#include "project/PodGenerators.h"
#include "project/PodProject.h"
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


// The project is read all the same, so that its messages, its status and the
// dump switch already show what a build would start from.
bool BuildPodFile(const UString& podPath, const UString&, const UString&, const UString&) {
  if (!FileExists(podPath)) {
    ErrorPrintf("pod file %s does not exist\n", podPath.c_str());
    std::exit(2);
  }
  PodProject project(600);
  if (!project.Load(podPath, GetCurrentDirectoryA())) std::exit(2);
  if (const JOB* job = JOB::Current(); job && job->dumpRequested) project.Dump();
  NotYet("build");
}


bool PodFromAudioList(JOB&, const UString&) { NotYet("pn"); }

bool PodFromImageList(JOB&, long, const UString&) { NotYet("pi"); }
