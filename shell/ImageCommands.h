#pragma once
#include "platform/helper/UString.h"

class JOB;

// The commands ic and irc: every input image copied, or scaled, into the destination folder.
bool CopyImages(JOB& job);
bool ResizeCopyImages(JOB& job);

// The destination name of `source` in `folder`: its file name, with its
// extension replaced by `newExt` when one is given.
UString MakeDestFileName(const std::string& folder, const std::string& source, const char* newExt);
