#pragma once
#include "platform/helper/StdStringList.h"

class JOB;

// The command cw4: WAV files to one MP4 audio file through the encoder program.
bool ConvertWavToAac(JOB& job, const StdStringList& params);
