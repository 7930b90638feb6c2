#include "platform/quicktime/atoms/AtomReader.h"

#include <algorithm>

void AtomReader::Fail(OSErr err) {
  if (err_ == noErr) err_ = err;
  rest_ = {};
}

void AtomReader::VersionFlags(std::uint8_t& version, std::uint32_t& flags) {
  version = std::uint8_t(Big(1));
  flags = std::uint32_t(Big(3));
}

void AtomReader::Skip(std::uint64_t count) {
  if (count > Left()) return Fail();
  rest_ = rest_.subspan(count);
}

void AtomReader::Bytes(const char*, std::vector<std::uint8_t>& bytes, std::uint64_t count) {
  if (err_ != noErr || count > Left()) return Fail();
  bytes.assign(rest_.begin(), rest_.begin() + std::ptrdiff_t(count));
  rest_ = rest_.subspan(count);
}

void AtomReader::Rest(const char* name, std::vector<std::uint8_t>& bytes) { Bytes(name, bytes, Left()); }

bool AtomReader::ReadHeader(AtomHeader& header, bool allowToEnd) {
  if (err_ != noErr || Left() < 8) {
    Fail();
    return false;
  }
  std::uint64_t size = Big(4);
  header.type = OSType(Big(4));
  header.headerBytes = 8;
  if (size == 1) {
    size = Big(8);
    header.headerBytes = 16;
  } else if (size == 0 && allowToEnd) {
    size = header.headerBytes + Left();
  }
  if (err_ != noErr || size < header.headerBytes || size - header.headerBytes > Left()) {
    Fail();
    return false;
  }
  header.payloadBytes = size - header.headerBytes;
  return true;
}

AtomReader AtomReader::Child(std::uint64_t count) {
  if (depth_ >= kMaxDepth || count > Left()) {
    Fail();
    AtomReader failed({}, kMaxDepth);
    failed.Fail(err_);
    return failed;
  }
  AtomReader child(rest_.first(count), depth_ + 1);
  child.file_ = file_;
  rest_ = rest_.subspan(count);
  return child;
}

bool AtomReader::OnlyZerosLeft() const {
  return std::all_of(rest_.begin(), rest_.end(), [](std::uint8_t b) { return b == 0; });
}

std::uint64_t AtomReader::Big(std::size_t width) {
  if (err_ != noErr || width > rest_.size()) {
    Fail();
    return 0;
  }
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < width; ++i) value = value << 8 | rest_[i];
  rest_ = rest_.subspan(width);
  return value;
}
