#pragma once
#include <functional>

#include "platform/helper/StdStringList.h"

// The words of the command line after the program's own name.
void SplitCommandLine(int argc, const char* const argv[], StdStringList& words);
void PrintBanner();
// Installed as the allocation-failure handler: it never returns.
[[noreturn]] void NewHandler();
// Runs `job` as the program's last line of defence: a standard exception that
// escapes it is shown to the user and the run ends in order with status 0.
int RunGuarded(const std::function<int()>& job);
