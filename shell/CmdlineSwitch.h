#pragma once
#include <cstdint>

// One row of a command table. A row whose name is null ends the table.
struct CmdlineSwitch {
  // Parameter counts other than "exactly n" (n >= 0).
  static constexpr std::int32_t kUpToNextSwitch = -1;  // at least one word must be left
  static constexpr std::int32_t kAnyUpToNextSwitch = -2;
  static constexpr std::int32_t kOptionalOne = -3;

  const char* name;       // without its leading '-' or '/'
  const char* paramHelp;  // "" when there is none
  std::int32_t id;        // what the job dispatches on; aliases share it
  std::int32_t paramCount;
  std::int32_t order;  // negative: runs at once while parsing; else its place in the queue
  const char* help;    // null: not listed by the help
};
