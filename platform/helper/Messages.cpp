#include "platform/helper/Messages.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

void Message(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  std::vfprintf(stderr, fmt, args);
  va_end(args);
  std::fputc('\n', stderr);
}

void DebugString(const char* fmt, ...) {
  if (!std::getenv("TOLVA_TRACE")) return;
  va_list args;
  va_start(args, fmt);
  std::vfprintf(stderr, fmt, args);
  va_end(args);
}
