// Imports each file named and prints its sample count, so that a benchmark
// can time the importers and watch their memory against a file's length.
#include <cstdio>

#include "platform/quicktime/import/ImportedMedia.h"

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    ImportedMedia media;
    const ImportErr err = ImportMediaFile(argv[i], media);
    if (err != ImportErr::None) {
      std::fprintf(stderr, "%s: import failed (%d)\n", argv[i], int(err));
      return 1;
    }
    std::printf("%llu\n", static_cast<unsigned long long>(media.SampleCount()));
  }
  return 0;
}
