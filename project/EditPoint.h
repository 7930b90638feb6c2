#pragma once
#include <cstdint>
#include <string>

#include "project/ScaledTime.h"

// Where dumps go: the trace (DebugString) or, for the project dump, standard output.
using DumpPrinter = void (*)(const char* fmt, ...);

// One moment of the show: the times shared by every kind of edit point, and
// the start and duration that a track list computes for it.
class EditPoint {
 public:
  EditPoint(std::int32_t timeScale, std::int32_t podIndex);
  EditPoint(const EditPoint&) = delete;
  EditPoint& operator=(const EditPoint&) = delete;

  virtual std::int32_t TypeId() const { return 1; }
  virtual void Dump(DumpPrinter print) const;
  void Dump() const;  // to the trace
  // True when the edit point has nothing to show.
  virtual bool IsEmpty() const { return true; }
  // Takes one key of a section; false when the key is not this edit point's.
  virtual bool ReadKey(const std::string& key, const std::string& value);
  virtual ~EditPoint() = default;

  // The section's times, position and computed slot, as another edit point has them.
  void CopyTimes(const EditPoint& from);

  std::int32_t podIndex;
  ScaledTime startTime;
  ScaledTime offset;
  ScaledTime length;
  std::int32_t timeScale;
  std::int64_t epStartTime = 0;  // 64-bit: a book runs past 13.5 hours at 44.1 kHz
  std::int64_t epDuration = 0;

 protected:
  void DumpFields(DumpPrinter print) const;
};
