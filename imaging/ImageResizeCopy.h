#pragma once
#include <string>

#include "platform/helper/UString.h"
#include "platform/helper/Win32Defs.h"

// Copies an image file, or with a non-empty target writes it as a JPEG
// scaled to fit the target. On failure the reason is left in ImageLastError(),
// which each thread has its own of.
bool ImageResizeCopy(const std::string& input, const std::string& output, bool overwrite, const RECT& target,
                     bool fit);
UString& ImageLastError();
