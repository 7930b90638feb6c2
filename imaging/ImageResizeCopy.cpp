#include "imaging/ImageResizeCopy.h"

#include "imaging/ImageBitmap.h"
#include "platform/helper/FileSystem.h"

UString& ImageLastError() {
  thread_local UString text;
  return text;
}

namespace {
bool CopyWhole(const std::string& input, const std::string& output) {
  std::string bytes;
  return ReadWholeFile(input, bytes) && WriteWholeFile(output, bytes);
}
}  // namespace

bool ImageResizeCopy(const std::string& input, const std::string& output, bool overwrite, const RECT& target,
                     bool fit) {
  UString& error = ImageLastError();
  if (FileNamesEqual(output, input)) {
    error.format("input and output file names are the same: \"%s\"\n", input.c_str());
    return false;
  }
  if (FileExists(output) && !overwrite) {
    error.format("output file already exists: \"%s\"\n", output.c_str());
    return false;
  }
  if (IsRectEmpty(target)) {
    if (CopyWhole(input, output)) return true;
    error.format("unable to copy \"%s\" to \"%s\"\n", input.c_str(), output.c_str());
    return false;
  }
  ImageBitmap image;
  if (!image.Load(input)) {
    error.format("unable to open input file: \"%s\"\n", input.c_str());
    return false;
  }
  const auto scaled = image.ScaleToFit(target, fit, kFilterBicubic);
  if (!scaled) {
    error.format("unable to resize image: \"%s\"\n", input.c_str());
    return false;
  }
  if (scaled->SaveJpeg(output, kJpegSuperb)) return true;
  error.format("unable to write output file: \"%s\"\n", output.c_str());
  return false;
}
