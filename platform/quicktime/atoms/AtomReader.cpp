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
  if (err_ == noErr && Tolerant() && size >= header.headerBytes && size - header.headerBytes > Left() &&
      size - header.headerBytes - Left() <= kMaxOverrun) {
    if (!cut_)
      Note(Name(header.type) + " runs " + std::to_string(size - header.headerBytes - Left()) +
           " bytes past the end of " + (type_ == 0 ? std::string("the file") : Name(type_)) + "; read to its end");
    size = header.headerBytes + Left();
    header.cut = true;
  }
  if (err_ != noErr || size < header.headerBytes || size - header.headerBytes > Left()) {
    Fail();
    return false;
  }
  header.payloadBytes = size - header.headerBytes;
  return true;
}

bool AtomReader::HeaderFits() const {
  if (Left() < 8) return false;
  const std::uint64_t size = std::uint64_t(rest_[0]) << 24 | std::uint64_t(rest_[1]) << 16 | rest_[2] << 8 | rest_[3];
  if (size == 1) return Left() >= 16;
  return size >= 8;
}

bool AtomReader::FitCount(std::uint64_t& count, std::uint64_t entryBytes) {
  if (count <= Left() / entryBytes) return true;
  if (!Tolerant() || count - Left() / entryBytes > kFewEntries) {
    Fail();
    return false;
  }
  Note(Name(type_) + " holds " + std::to_string(Left() / entryBytes) + " of the " + std::to_string(count) +
       " entries it counts; those are read");
  count = Left() / entryBytes;
  return true;
}

std::string AtomReader::Name(OSType type) {
  std::string name = "'";
  for (int shift = 24; shift >= 0; shift -= 8) {
    const char c = char(type >> shift & 0xFF);
    name += c >= 0x20 && c <= 0x7E ? c : '?';
  }
  return name + "'";
}

AtomReader AtomReader::Child(std::uint64_t count, bool cut) {
  if (depth_ >= kMaxDepth || count > Left()) {
    Fail();
    AtomReader failed({}, kMaxDepth);
    failed.Fail(err_);
    return failed;
  }
  AtomReader child(rest_.first(count), depth_ + 1);
  child.file_ = file_;
  child.origin_ = origin_;
  child.originAt_ = originAt_;
  child.repairs_ = repairs_;
  child.keepsAll_ = keepsAll_;
  child.cut_ = cut_ || cut;
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
