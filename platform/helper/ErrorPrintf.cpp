#include "platform/helper/ErrorPrintf.h"

#include <cstdarg>
#include <cstdio>

int ErrorPrintf(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  const int n = std::vfprintf(stderr, fmt, args);
  va_end(args);
  return n;
}
