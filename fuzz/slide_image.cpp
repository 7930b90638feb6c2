// A JPEG or PNG of any bytes made into a titled slide: loading, fitting,
// drawing and saving must fail cleanly or succeed, never fault.
#include <cstddef>
#include <cstdint>
#include <string>

#include "imaging/SlidePreparer.h"
#include "platform/helper/FileSystem.h"

namespace {
struct ScratchFile {
  ~ScratchFile() { DeleteFileA(name); }
  UString name = GetTempFileNameA("", "fuzz-slide-");
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const ScratchFile scratch;
  const UString& input = scratch.name;
  WriteWholeFile(input, std::string(reinterpret_cast<const char*>(data), size));
  const int type = FreeImage_GetFileType(input.c_str(), 0);
  if (type != FIF_JPEG && type != FIF_PNG) return 0;  // other decoders are FreeImage's to fuzz
  TitleList titles;
  titles.Add("title", MediaFormat());
  UString file = input;
  bool replaced = false;
  SlidePreparer(SlideSettings{.intScaleFactor = 2}).PrepImage(64, 36, 0, 0, 0x336699, file, FIF_PNG, replaced, 1, 1,
                                                              &titles);
  if (replaced) DeleteFileA(file);
  return 0;
}
