#include <cstdio>
#include <new>

#include "platform/helper/Messages.h"
#include "platform/win32/NamedSemaphore.h"
#include "shell/JOB.h"
#include "shell/ProgramEntry.h"

namespace {
StdStringList CommandLineArgs;
}  // namespace

int main(int argc, char* argv[]) {
  NamedSemaphore instance;  // held until the process ends
  if (instance.Create("TolvaSem") && instance.AlreadyExists()) {
    Message("Program is already running!");
    return 0;
  }
  std::set_new_handler(NewHandler);
  SplitCommandLine(argc, argv, CommandLineArgs);
  return RunGuarded([] {
    JOB job;
    PrintBanner();
    if (!job.ParseCommandLine(CommandLineArgs, std::printf)) return 0;
    return job.Execute() ? 0 : 3;
  });
}
