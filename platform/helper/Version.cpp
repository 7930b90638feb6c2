#include "platform/helper/Version.h"

const char* GetVersionString() { return "Tolva (Reelwright) version 1.0.5a"; }
