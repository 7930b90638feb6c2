// pc reads the chapters of whatever file a user names and writes them into a
// project: any bytes must give chapters or a refusal, never a fault, and the
// project written must give every title back as the reader loads it.
#include <unistd.h>

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "assembly/QTMovie.h"
#include "assembly/QuickTimeStart.h"
#include "platform/helper/FileSystem.h"
#include "project/ChapterProjectWriter.h"
#include "project/EditPointChapter.h"
#include "project/MovieChapters.h"
#include "project/PodProject.h"

namespace {
// What the project keeps of a title: control characters become blanks, and
// an empty title a blank.
std::string Kept(std::string title) {
  for (char& c : title)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  return title.empty() ? " " : title;
}

void CheckRoundTrip(const MovieChapters& marks, const std::string& path) {
  std::string text;
  PodFileWriter pod(&text);
  ChapterProjectWriter(marks, path, false).Write(pod, "fuzz");
  PodProject project(600);
  if (!project.LoadText(text, "fuzz.pod", "/nonexistent-fuzz-folder")) __builtin_trap();
  std::size_t n = 0;
  for (const EditPoint* point : project.editPoints.Items()) {
    if (point->TypeId() != 4 || point->IsEmpty()) continue;
    const auto& chapter = static_cast<const EditPointChapter&>(*point);
    if (n >= marks.chapters.size() || chapter.chapter != Kept(marks.chapters[n].title) ||
        chapter.startTime.Value64In(marks.timeScale) != marks.chapters[n].start)
      __builtin_trap();
    ++n;
  }
  if (n != marks.chapters.size()) __builtin_trap();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = [] {
    std::freopen("/dev/null", "w", stdout);
    StartQuickTime();
    return std::string(DirExists("/dev/shm") ? "/dev/shm" : "/tmp") + "/tolva-fuzz-chapters-" + std::to_string(getpid());
  }();
  if (!WriteWholeFile(path, std::string(reinterpret_cast<const char*>(data), size))) return 0;
  QTMovie movie;
  MovieChapters marks;
  if (!movie.OpenExistingMovie(path) || !marks.Read(movie.movie)) return 0;
  marks.CutAt(INT64_MAX);
  CheckRoundTrip(marks, path);
  return 0;
}
