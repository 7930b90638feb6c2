#include "imaging/MediaFormat.h"

void MediaFormat::Push() { formatStack.push_front(static_cast<const MediaFormatBase&>(*this)); }

void MediaFormat::Pop() {
  if (formatStack.empty()) return;
  static_cast<MediaFormatBase&>(*this) = formatStack.front();
  formatStack.pop_front();
}
