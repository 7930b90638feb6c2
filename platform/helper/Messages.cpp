#include "platform/helper/Messages.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include <unistd.h>

#include "platform/helper/UString.h"

void Message(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  UString text;
  text.vformat(fmt, args);
  va_end(args);
  // Messages break their lines at '\r', as a message box does; a terminal would overwrite them.
  for (char& c : text)
    if (c == '\r') c = '\n';
  std::fprintf(stderr, "%s\n", text.c_str());
}

void DebugString(const char* fmt, ...) {
  if (!std::getenv("TOLVA_TRACE")) return;
  va_list args;
  va_start(args, fmt);
  std::vfprintf(stderr, fmt, args);
  va_end(args);
}

bool ErrorStreamIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }
