#pragma once
#include <cstdint>
#include <string>

#include "platform/quicktime/QtTypes.h"

// What the toolbox remembers between calls: whether it was started and the
// result of the last call, for GetMoviesError.
class ToolboxState {
 public:
  // Notes `err` as the last result and gives it back.
  static OSErr Result(OSErr err);
  // Result, with the failure told in plain words ("disk full", ...).
  static OSErr Failure(OSErr err, std::string words);
  static OSErr LastResult();
  // A duration of the model as the interface gives it, noting the result; one
  // too long for a time value is an error, never a shorter time.
  static TimeValue Duration(std::uint64_t value);
  // The last result in plain words: as a failure told them, else what the code means.
  static std::string LastResultText();
  // Why an importer refused the last file it was given, for GetMovieRefusal.
  static void SetRefusal(std::string text);
  static const std::string& Refusal();
  // False when the environment says the toolbox is not installed.
  static bool Installed();
  static void SetStarted(bool started);
  static bool Started();
};
