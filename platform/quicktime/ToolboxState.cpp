#include "platform/quicktime/ToolboxState.h"

#include <cstdlib>
#include <limits>

#include "platform/quicktime/QtErrors.h"

namespace {
OSErr lastResult = noErr;
bool started = false;
}  // namespace

OSErr ToolboxState::Result(OSErr err) { return lastResult = err; }

OSErr ToolboxState::LastResult() { return lastResult; }

TimeValue ToolboxState::Duration(std::uint64_t value) {
  if (value > std::uint64_t(std::numeric_limits<TimeValue>::max())) return Result(invalidDuration), 0;
  Result(noErr);
  return TimeValue(value);
}

bool ToolboxState::Installed() { return std::getenv("TOLVA_NO_QUICKTIME") == nullptr; }

void ToolboxState::SetStarted(bool value) { started = value; }

bool ToolboxState::Started() { return started; }
