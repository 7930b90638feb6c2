#include "platform/quicktime/TimeConversion.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <limits>

namespace {
constexpr std::uint64_t kSeconds1904To1970 = 2082844800;

bool FromEnvironment(std::uint64_t& seconds) {
  const char* text = std::getenv("SOURCE_DATE_EPOCH");
  if (!text || !*text) return false;
  char* end = nullptr;
  errno = 0;
  const unsigned long long value = std::strtoull(text, &end, 10);
  if (errno != 0 || *end != '\0' || *text == '-') return false;
  seconds = value;
  return true;
}
}  // namespace

std::int64_t ConvertTimeScale(std::int64_t value, std::int32_t fromScale, std::int32_t toScale) {
  if (fromScale <= 0 || toScale <= 0 || fromScale == toScale) return value;
  const __int128 product = __int128(value) * toScale;
  const __int128 half = fromScale / 2;
  const __int128 rounded = (product >= 0 ? product + half : product - half) / fromScale;
  constexpr auto lo = std::numeric_limits<std::int64_t>::min(), hi = std::numeric_limits<std::int64_t>::max();
  return rounded < lo ? lo : rounded > hi ? hi : std::int64_t(rounded);
}

std::int64_t ConvertTimeScaleUp(std::int64_t value, std::int32_t fromScale, std::int32_t toScale) {
  if (fromScale <= 0 || toScale <= 0 || fromScale == toScale || value <= 0) return value;
  const __int128 rounded = (__int128(value) * toScale + fromScale - 1) / fromScale;
  constexpr auto hi = std::numeric_limits<std::int64_t>::max();
  return rounded > hi ? hi : std::int64_t(rounded);
}

std::uint64_t MovieClockNow() {
  std::uint64_t seconds = 0;
  if (!FromEnvironment(seconds)) seconds = std::uint64_t(std::max<std::time_t>(std::time(nullptr), 0));
  return seconds + kSeconds1904To1970;
}
