#pragma once
#include <cstdint>

// The toolbox's time conversion: `value` units of `fromScale` expressed in
// units of `toScale`, rounded to the nearest unit (halves away from zero).
// A scale of 0 or below leaves the value as it is.
std::int64_t ConvertTimeScale(std::int64_t value, std::int32_t fromScale, std::int32_t toScale);
