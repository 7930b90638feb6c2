#include "project/ScaledTime.h"

#include <cstdint>
#include <cstdlib>

#include "platform/helper/StdStringList.h"
#include "platform/quicktime/TimeConversion.h"

namespace {
std::int32_t Wrap32(std::int64_t v) { return std::int32_t(std::uint32_t(std::uint64_t(v))); }

// A field as a 32-bit atol reads it, sign dropped: "-0:01:00.0" is one minute.
std::int32_t Field(const UString& text) {
  const long n = std::atol(text.c_str());
  const std::int64_t held = n < INT32_MIN ? INT32_MIN : n > INT32_MAX ? INT32_MAX : n;
  return Wrap32(held < 0 ? -held : held);
}
}  // namespace

// Two's-complement sums: no time that a file can give may make arithmetic undefined.
std::int64_t ScaledTime::WrapSum(std::int64_t a, std::uint64_t b) { return std::int64_t(std::uint64_t(a) + b); }

ScaledTime::ScaledTime(std::int32_t scale_, std::int64_t value) : scale(scale_ > 0 ? scale_ : 0), units(value) {
  Normalize();
}

ScaledTime& ScaledTime::operator=(const ScaledTime& other) {
  if (this == &other) return *this;
  scale = other.scale;
  seconds = other.seconds;
  units = other.units;
  Normalize();
  return *this;
}

void ScaledTime::Clear() { scale = seconds = 0, units = 0; }

bool ScaledTime::Set(std::int64_t value, std::int32_t newScale) {
  units = value;
  seconds = 0;
  if (newScale > 0) scale = newScale;
  return Normalize();
}

std::int32_t ScaledTime::Value() const {
  return Wrap32(std::int64_t(std::uint32_t(seconds) * std::uint32_t(scale)) + std::int64_t(std::uint32_t(units)));
}

std::int64_t ScaledTime::Value64In(std::int32_t otherScale) const {
  if (otherScale == scale) return Value64();
  ScaledTime copy(*this);
  copy.SetScale(otherScale);
  return copy.Value64();
}

std::int32_t ScaledTime::ValueIn(std::int32_t otherScale) const {
  if (otherScale == scale) return Value();
  ScaledTime copy(*this);
  copy.SetScale(otherScale);
  return copy.Value();
}

bool ScaledTime::SetScale(std::int32_t newScale) {
  if (scale > 0) {
    units = ConvertTimeScale(Value64(), scale, newScale);
    seconds = 0;
  }
  scale = newScale;
  return Normalize();
}

ScaledTime ScaledTime::Minus(const ScaledTime& other) const {
  return ScaledTime(scale, WrapSum(Value64(), -std::uint64_t(other.Value64In(scale))));
}

ScaledTime& ScaledTime::SubtractSameScale(const ScaledTime& other) {
  units = WrapSum(Value64(), -std::uint64_t(other.Value64()));
  seconds = 0;
  Normalize();
  return *this;
}

bool ScaledTime::IsGreater(const ScaledTime& other) const { return Value64() > other.Value64In(scale); }

bool ScaledTime::IsLess(const ScaledTime& other) const { return Value64() < other.Value64In(scale); }

bool ScaledTime::Parse(const std::string& text) {
  StdStringList fields;
  fields.SplitAndAppend(text.c_str(), ":,.", nullptr, StdStringList::kTrim | StdStringList::kSkipEmpty);
  if (fields.size() < 4) {
    seconds = 0;
    units = 0;
    return false;
  }
  seconds = Wrap32((std::int64_t(Field(fields[0])) * 60 + Field(fields[1])) * 60 + Field(fields[2]));
  units = Field(fields[3]);
  Normalize();
  return true;
}

std::int64_t ScaledTime::Value64() const { return WrapSum(std::int64_t(seconds) * scale, std::uint64_t(units)); }

bool ScaledTime::Normalize() {
  if (scale != 0 && units != 0 && units >= std::int64_t(scale)) {
    seconds = Wrap32(std::int64_t(seconds) + units / scale);
    units %= scale;
  }
  return scale > 0;
}
