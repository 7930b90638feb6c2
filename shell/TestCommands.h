#pragma once
#include "platform/helper/StdStringList.h"

// The commands test and t0 ... t9: probes of the movie toolbox.
void RunTest(int number, const StdStringList& params, const StdStringList& files);
