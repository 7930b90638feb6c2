#pragma once
#include "platform/helper/UString.h"

class JOB;

// The commands fi (mode 1) and fi2 (mode 2): a report on every input file.
bool MediaInfo(JOB& job, const UString& outfile, int mode);
