#include "shell/ProgramEntry.h"

#include <cstdio>
#include <exception>
#include <new>

#include "platform/helper/FileSystem.h"
#include "platform/helper/Messages.h"
#include "platform/win32/MessageBox.h"

namespace {
constexpr const char* kLongName = "Reelwright";
constexpr const char* kVersion = "version 1.0.5a";
constexpr const char* kBuildKind = "release";
}  // namespace

void SplitCommandLine(int argc, const char* const argv[], StdStringList& words) {
  for (int i = 1; i < argc; ++i) words.push_back(UString(argv[i]));
}

void PrintBanner() {
  std::printf("\n");
  std::printf("Tolva (Reelwright) %s (%s)\n", kVersion, kBuildKind);
  std::printf("Copyright (C) Omberlin. All rights reserved.\n");
  std::printf("\n");
  std::printf("  Current directory: %s\n", GetCurrentDirectoryA().c_str());
  std::printf("\n");
}

void NewHandler() { throw std::bad_alloc(); }

int RunGuarded(const std::function<int()>& job) {
  try {
    return job();
  } catch (const std::bad_alloc&) {
    UString text;
    text.format("The system was unable to allocate memory requested by %s\rThis is a fatal error, the program will quit.",
                kLongName);
    MessageBoxA(GetActiveWindow(), text, "Error", MB_ICONHAND);
  } catch (const std::exception& e) {
    UString text;
    text.format("An unhandled exception has occured:\rType: %s\r%s will terminate.", e.what(), kLongName);
    Message("%s", text.c_str());
  }
  return 0;
}
