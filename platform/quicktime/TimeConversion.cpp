#include "platform/quicktime/TimeConversion.h"

#include <limits>

std::int64_t ConvertTimeScale(std::int64_t value, std::int32_t fromScale, std::int32_t toScale) {
  if (fromScale <= 0 || toScale <= 0 || fromScale == toScale) return value;
  const __int128 product = __int128(value) * toScale;
  const __int128 half = fromScale / 2;
  const __int128 rounded = (product >= 0 ? product + half : product - half) / fromScale;
  constexpr auto lo = std::numeric_limits<std::int64_t>::min(), hi = std::numeric_limits<std::int64_t>::max();
  return rounded < lo ? lo : rounded > hi ? hi : std::int64_t(rounded);
}
