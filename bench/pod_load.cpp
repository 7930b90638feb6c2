// Loads one .pod project, as a build would start, and prints how long it took.
#include <chrono>
#include <cstdio>

#include "platform/helper/FileSystem.h"
#include "project/PodProject.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: bench_pod_load file.pod\n");
    return 2;
  }
  const auto start = std::chrono::steady_clock::now();
  PodProject project(600);
  const bool loaded = project.Load(argv[1], GetCurrentDirectoryA());
  const auto tracks = project.editPoints.MakeChapterList(project.timeScale, 0);
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  std::printf("%.3f %d %zu\n", took.count(), project.podCount, tracks ? tracks->size() : 0);
  return loaded ? 0 : 1;
}
