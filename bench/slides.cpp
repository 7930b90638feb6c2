// Prepares one titled 1080 × 720 JPEG slide per image named on the command
// line, into the folder given first, on the number of threads given second:
// the work of a build's slide track at the project's default settings.
#include <cstdio>
#include <cstdlib>
#include <deque>

#include "imaging/SlideBatch.h"
#include "platform/helper/FileSystem.h"

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: bench_slides <output folder> <threads> <image>...\n");
    return 2;
  }
  const SlideBatch batch(SlidePreparer(SlideSettings{.intScaleFactor = 4, .keepFinalImages = true,
                                                     .baseFolder = argv[1]}),
                         std::atoi(argv[2]));
  MediaFormat format;
  format.Set("fontsize", "28");
  format.Set("textbackground", "0 0 0");
  std::deque<TitleList> titles;
  std::vector<SlideJob> jobs;
  for (int i = 3; i < argc; ++i) {
    titles.emplace_back().Add(FileNamePart(argv[i]), format);
    jobs.push_back(SlideJob{.frameW = 1080, .frameH = 720, .imageFile = argv[i], .outFormat = kImageFormatJpeg,
                            .titles = &titles.back()});
  }
  int failed = 0;
  for (const PreparedSlide& slide : batch.Prepare(jobs)) {
    std::fputs(slide.messages.c_str(), stderr);
    failed += !slide.ok;
  }
  return failed == 0 ? 0 : 1;
}
