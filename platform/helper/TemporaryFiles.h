#pragma once
#include <string>

// Temporary files of this run that must not outlive it when it is cut short.
// A small watcher process started with the first one removes, once the
// program has gone, every file still listed, unless the program ended
// normally (returned from main or called exit): then the files stay as the
// program left them. A kill, even SIGKILL, or a crash thus leaves nothing.
namespace TemporaryFiles {
void Add(const std::string& path);
void Forget(const std::string& path);
}  // namespace TemporaryFiles
