#include "imaging/ImageMessages.h"

#include <cstdarg>
#include <cstdio>

#include "platform/helper/ErrorPrintf.h"

namespace {
thread_local ImageMessageCapture* current = nullptr;
}  // namespace

ImageMessageCapture::ImageMessageCapture() : outer_(current) { current = this; }

ImageMessageCapture::~ImageMessageCapture() { current = outer_; }

int ImageErrorPrintf(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  char small[512];
  va_list again;
  va_copy(again, args);
  const int n = std::vsnprintf(small, sizeof small, fmt, args);
  va_end(args);
  std::string text;
  if (n >= int(sizeof small)) {
    text.resize(std::size_t(n) + 1);
    std::vsnprintf(text.data(), text.size(), fmt, again);
    text.resize(std::size_t(n));
  } else if (n > 0) {
    text.assign(small, std::size_t(n));
  }
  va_end(again);
  if (current) {
    current->text_ += text;
  } else if (!text.empty()) {
    ErrorPrintf("%s", text.c_str());
  }
  return n;
}
