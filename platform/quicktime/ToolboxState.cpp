#include "platform/quicktime/ToolboxState.h"

#include <cstdlib>
#include <limits>
#include <utility>

#include "platform/quicktime/QtErrors.h"

namespace {
OSErr lastResult = noErr;
std::string lastWords;
bool started = false;
std::string refusal;

const char* WordsFor(OSErr err) {
  switch (err) {
    case noErr: return "no error";
    case dskFulErr: return "disk full";
    case ioErr: return "input/output error";
    case eofErr: return "a source file is shorter than its sample table says";
    case fnfErr: return "no such file or folder";
    case wrPermErr: return "permission denied";
    case paramErr: return "invalid request";
    case dirNFErr: return "no such folder";
    case memFullErr: return "out of memory";
    case couldNotResolveDataRef: return "a source file cannot be opened";
    case invalidMovie: return "not a usable movie";
    case invalidDuration: return "invalid duration";
    case progressProcAborted: return "stopped by request";
    default: return "the movie toolbox failed";
  }
}
}  // namespace

OSErr ToolboxState::Result(OSErr err) {
  lastWords.clear();
  return lastResult = err;
}

OSErr ToolboxState::Failure(OSErr err, std::string words) {
  lastWords = std::move(words);
  return lastResult = err;
}

std::string ToolboxState::LastResultText() { return lastWords.empty() ? WordsFor(lastResult) : lastWords; }

OSErr ToolboxState::LastResult() { return lastResult; }

TimeValue ToolboxState::Duration(std::uint64_t value) {
  if (value > std::uint64_t(std::numeric_limits<TimeValue>::max())) return Result(invalidDuration), 0;
  Result(noErr);
  return TimeValue(value);
}

void ToolboxState::SetRefusal(std::string text) { refusal = std::move(text); }

const std::string& ToolboxState::Refusal() { return refusal; }

bool ToolboxState::Installed() { return std::getenv("TOLVA_NO_QUICKTIME") == nullptr; }

void ToolboxState::SetStarted(bool value) { started = value; }

bool ToolboxState::Started() { return started; }
