#include "imaging/MediaFormat.h"

void MediaFormat::Push() { formatStack.push_back(static_cast<const MediaFormatBase&>(*this)); }

void MediaFormat::Pop() {
  if (formatStack.empty()) return;
  static_cast<MediaFormatBase&>(*this) = formatStack.back();
  formatStack.pop_back();
}
