#pragma once
#include <cstdint>
#include <string>

#include "platform/helper/Win32Defs.h"

// The value parsers shared by title formats and text settings. Numbers are
// read as atol reads them; lists are split at blanks, tabs, commas and
// semicolons.

// DrawText flag names ("center|singleline") OR-ed together; unknown names are ignored.
std::uint32_t ParseFormatFlags(const std::string& value);
// Empty gives `def`; otherwise the number, held to min..max.
std::int32_t ParseClampedInt(const std::string& value, std::int32_t min, std::int32_t max, std::int32_t def);
// "red green blue"; false (and `out` unchanged) with fewer than three numbers.
bool ParseColorValue(COLORREF& out, const std::string& value);
// "left top right bottom", each kept to 16 bits; false (and `out` emptied) with fewer than four.
bool ParseRectValue(RECT& out, const std::string& value);
