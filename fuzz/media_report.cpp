// The report opens whatever file a user names and dumps its sound
// descriptions: any bytes must give a report or a refusal, never a fault.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "assembly/QuickTimeStart.h"
#include "platform/helper/FileSystem.h"
#include "shell/MediaReport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = [] {
    std::freopen("/dev/null", "w", stdout);
    StartQuickTime();
    return std::string(DirExists("/dev/shm") ? "/dev/shm" : "/tmp") + "/tolva-fuzz-report-" + std::to_string(getpid());
  }();
  if (!WriteWholeFile(path, std::string(reinterpret_cast<const char*>(data), size))) return 0;
  ReportFile(path, 2);
  return 0;
}
