#pragma once
#include <cstdint>
#include <string>

// A time on a time scale (units per second): whole seconds and a remainder
// in units. Values of different scales compare and subtract through the
// toolbox's conversion.
class ScaledTime {
 public:
  // A scale of 0 or below means the value has none.
  explicit ScaledTime(std::int32_t scale = 0, std::int64_t value = 0);
  ScaledTime(const ScaledTime& other) = default;
  ScaledTime& operator=(const ScaledTime& other);

  void Clear();
  bool Set(std::int64_t value, std::int32_t scale);
  std::int32_t Scale() const { return scale; }
  std::int32_t Value() const;  // 32-bit: wraps past about 41 days at 600
  std::int64_t Value64In(std::int32_t otherScale) const;
  std::int32_t ValueIn(std::int32_t otherScale) const;
  bool SetScale(std::int32_t newScale);
  ScaledTime Minus(const ScaledTime& other) const;
  ScaledTime& SubtractSameScale(const ScaledTime& other);
  bool IsGreater(const ScaledTime& other) const;
  bool IsLess(const ScaledTime& other) const;
  // "hours:minutes:seconds.units" (any of ':' ',' '.' between the four fields).
  bool Parse(const std::string& text);
  bool Normalize();

  std::int32_t scale = 0;
  std::int32_t seconds = 0;
  std::int64_t units = 0;

 private:
  std::int64_t Value64() const;
  static std::int64_t WrapSum(std::int64_t a, std::uint64_t b);
};
