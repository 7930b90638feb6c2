#pragma once
#include <cstdint>

#include "platform/helper/StdStringList.h"
#include "shell/CmdlineSwitch.h"

// One command as parsed: its table row and the words it took as parameters.
struct CmdlineCmd {
  std::int32_t id;
  CmdlineSwitch sw;
  StdStringList params;
};
