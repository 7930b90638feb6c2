// The project reader: any bytes must load or fail with a message, and what
// loads must give track lists and section groups without a fault.
#include <cstddef>
#include <cstdint>
#include <string>

#include "project/PodProject.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  PodProject project(600);
  const std::string text(reinterpret_cast<const char*>(data), size);
  if (!project.LoadText(text, "fuzz.pod", "/nonexistent-fuzz-folder")) return 0;
  EditPointList& list = project.editPoints;
  for (std::int32_t type = 2; type <= 5; ++type) (void)list.MakeTrackList(type, 1000, 60000);
  for (std::int32_t n = 0; n <= project.podCount; ++n) (void)list.MakePODEditPoint(n);
  return 0;
}
