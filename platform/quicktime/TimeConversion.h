#pragma once
#include <cstdint>

// The toolbox's time conversion: `value` units of `fromScale` expressed in
// units of `toScale`, rounded to the nearest unit (halves away from zero).
// A scale of 0 or below leaves the value as it is.
std::int64_t ConvertTimeScale(std::int64_t value, std::int32_t fromScale, std::int32_t toScale);
// The same for a non-negative length, rounded up: a stretch that runs to the
// end of a media keeps all of it when the other clock is coarser.
std::int64_t ConvertTimeScaleUp(std::int64_t value, std::int32_t fromScale, std::int32_t toScale);

// Now, in seconds since 1904-01-01 UTC as movie headers count. A valid
// SOURCE_DATE_EPOCH stands for now, so that a build can be reproduced byte for byte.
std::uint64_t MovieClockNow();
