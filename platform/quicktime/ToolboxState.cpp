#include "platform/quicktime/ToolboxState.h"

#include <cstdlib>

#include "platform/quicktime/QtErrors.h"

namespace {
OSErr lastResult = noErr;
bool started = false;
}  // namespace

OSErr ToolboxState::Result(OSErr err) { return lastResult = err; }

OSErr ToolboxState::LastResult() { return lastResult; }

bool ToolboxState::Installed() { return std::getenv("TOLVA_NO_QUICKTIME") == nullptr; }

void ToolboxState::SetStarted(bool value) { started = value; }

bool ToolboxState::Started() { return started; }
