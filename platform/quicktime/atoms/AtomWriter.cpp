#include "platform/quicktime/atoms/AtomWriter.h"

void AtomWriter::PutHeader(OSType type, std::uint64_t total) {
  const bool large = total > UINT32_MAX;
  PutBig(large ? 1 : total, 4);
  PutBig(type, 4);
  if (large) PutBig(total, 8);
}

void AtomWriter::PutBig(std::uint64_t value, std::size_t width) {
  MakeRoom(width);
  for (std::size_t i = width; i-- > 0;) bytes_.push_back(std::uint8_t(value >> (8 * i)));
}

void AtomWriter::Flush() {
  if (!sink_ || bytes_.empty()) return;
  if (err_ == noErr)
    if (const OSErr err = sink_(bytes_); err != noErr) Fail(err);
  handedOn_ += bytes_.size();
  bytes_.clear();
}
