#pragma once
#include <string>

// Where the image pipeline's error messages go: to standard error, or, while
// a capture lives on the calling thread, into that capture, so that slides
// prepared side by side can hand their messages back in their own order.
class ImageMessageCapture {
 public:
  ImageMessageCapture();
  ~ImageMessageCapture();
  ImageMessageCapture(const ImageMessageCapture&) = delete;
  ImageMessageCapture& operator=(const ImageMessageCapture&) = delete;

  const std::string& Text() const { return text_; }
  std::string Take() { return std::move(text_); }

 private:
  friend int ImageErrorPrintf(const char* fmt, ...);
  std::string text_;
  ImageMessageCapture* outer_;
};

// printf to the capture of this thread, or to standard error without one.
int ImageErrorPrintf(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
