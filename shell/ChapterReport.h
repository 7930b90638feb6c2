#pragma once
#include "platform/helper/UString.h"

class JOB;

// The command fc: every input file's chapters as each of its sources gives
// them, then a warning line for each thing players trip on. Output as for fi.
bool ChapterReport(JOB& job, const UString& outfile);
// One file's report on standard output; false (and a line on standard error) when it cannot be read.
bool ReportChapters(const UString& path);
