#pragma once

// "Tolva (Reelwright) version 1.0.5a": the program and its version on one line,
// as movies record the tool that wrote them.
const char* GetVersionString();
