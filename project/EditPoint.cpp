#include "project/EditPoint.h"

#include "platform/helper/Messages.h"
#include "platform/helper/UString.h"
#include "platform/helper/ErrorPrintf.h"

EditPoint::EditPoint(std::int32_t timeScale_, std::int32_t podIndex_)
    : podIndex(podIndex_), startTime(timeScale_), offset(timeScale_), length(timeScale_), timeScale(timeScale_) {}

void EditPoint::Dump() const { Dump(DebugString); }

void EditPoint::Dump(DumpPrinter print) const {
  DumpFields(print);
  print("\n");
}

void EditPoint::DumpFields(DumpPrinter print) const {
  print("    podIndex         %d\n", podIndex);
  print("    startTime        %d\n", startTime.Value());
  print("    offset           %d\n", offset.Value());
  print("    length           %d\n", length.Value());
  print("    epStartTime      %lld\n", static_cast<long long>(epStartTime));
  print("    epDuration       %lld\n", static_cast<long long>(epDuration));
}

bool EditPoint::ReadKey(const std::string& key, const std::string& value) {
  struct TimeKey {
    const char* name;
    ScaledTime EditPoint::*time;
    const char* invalid;
  };
  static constexpr TimeKey kTimeKeys[] = {
      {"start", &EditPoint::startTime, "the chapter start time string is invalid: %s\n"},
      {"offset", &EditPoint::offset, "the offset time string is invalid: %s\n"},
      {"length", &EditPoint::length, "the length time string is invalid: %s\n"},
  };
  for (const TimeKey& k : kTimeKeys) {
    if (icompare(key, k.name) != 0) continue;
    if ((this->*k.time).Parse(value)) return true;
    ErrorPrintf(k.invalid, value.c_str());
    return false;
  }
  return false;
}

void EditPoint::CopyTimes(const EditPoint& from) {
  podIndex = from.podIndex;
  startTime = from.startTime;
  offset = from.offset;
  length = from.length;
  timeScale = from.timeScale;
  epStartTime = from.epStartTime;
  epDuration = from.epDuration;
}
