// Prepares one titled 1080 × 720 JPEG slide per image named on the command
// line, into the folder given first: the work of a build's slide track.
#include <cstdio>

#include "imaging/SlidePreparer.h"
#include "platform/helper/FileSystem.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: bench_slides <output folder> <image>...\n");
    return 2;
  }
  const SlidePreparer slides(SlideSettings{.keepFinalImages = true, .baseFolder = argv[1]});
  MediaFormat format;
  format.Set("fontsize", "28");
  format.Set("textbackground", "0 0 0");
  int failed = 0;
  for (int i = 2; i < argc; ++i) {
    TitleList titles;
    titles.Add(FileNamePart(argv[i]), format);
    UString file = argv[i];
    bool replaced = false;
    if (!slides.PrepImage(1080, 720, 0, 0, 0x000000, file, FIF_JPEG, replaced, 1, 1, &titles)) ++failed;
  }
  return failed == 0 ? 0 : 1;
}
