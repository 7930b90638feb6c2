#include "shell/ImageCommands.h"

#include <cstdio>

#include "imaging/ImageResizeCopy.h"
#include "platform/helper/FileSystem.h"
#include "shell/JOB.h"

namespace {
constexpr bool kFit = true;

// The two commands differ only in the target size and the words they print.
void CopyEach(JOB& job, const RECT& target, const char* doneLine, bool reportFailures) {
  if (job.Files.empty()) {
    std::printf("no files to resize and copy!\n");
    return;
  }
  if (!job.destPath.empty()) CreatePath(job.destPath, false);
  for (const UString& file : job.Files) {
    const UString dest = MakeDestFileName(job.destPath, file, nullptr);
    if (ImageResizeCopy(file, dest, job.allowOverwrite, target, kFit)) {
      std::printf("  file: \"%s\"\n", file.c_str());
      std::printf(doneLine, dest.c_str());
    } else if (reportFailures) {
      std::printf("  ImageResizeCopy error: %s", ImageLastError().c_str());
    }
  }
}
}  // namespace

UString MakeDestFileName(const std::string& folder, const std::string& source, const char* newExt) {
  UString name = FileNamePart(source);
  const bool replaceExt = newExt && *newExt;
  if (replaceExt) {
    const auto dot = name.find_last_of('.');
    if (dot != std::string::npos) name.erase(dot);
  }
  UString result = folder;
  if (!result.empty() && result.back() != '/') result += '/';
  result += name;
  if (replaceExt) result += std::string(".") + newExt;
  return result;
}

bool CopyImages(JOB& job) {
  CopyEach(job, RECT{}, "  copied to: \"%s\"\n", false);
  return true;
}

bool ResizeCopyImages(JOB& job) {
  CopyEach(job, job.rImgResize, "  processed to: \"%s\"\n", true);
  return true;
}
