#pragma once
#include <string>

#include "platform/helper/StdStringList.h"

class JOB;

// The command cw4: WAV files to one MP4 audio file through the encoder program.
bool ConvertWavToAac(JOB& job, const StdStringList& params);
// A RIFF (or RF64) WAVE file that can be opened for reading and writing.
bool IsWaveFile(const std::string& path);
