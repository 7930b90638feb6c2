#pragma once
#include "platform/helper/UString.h"

class JOB;

// The commands ic and irc: every input image copied, or scaled, into the destination folder.
bool CopyImages(JOB& job);
bool ResizeCopyImages(JOB& job);
