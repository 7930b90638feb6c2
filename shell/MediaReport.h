#pragma once
#include <cstdint>

#include "platform/helper/UString.h"

class JOB;
class QTTrack;

// The commands fi (mode 1) and fi2 (mode 2): a report on every input file.
bool MediaInfo(JOB& job, const UString& outfile, int mode);
// Sends standard output to `outfile` in the destination folder (for the rest
// of the run) and starts the toolbox; ends the run when either fails.
bool PrepareReportOutput(const JOB& job, const UString& outfile);
void ReportFile(const UString& path, int mode);
void DumpSoundDescriptions(const QTTrack& sound);
void OutputESDS(std::uint32_t length, const std::uint8_t* data);
