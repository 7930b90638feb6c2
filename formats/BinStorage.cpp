#include "formats/BinStorage.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "platform/quicktime/QtTypes.h"

BinStorage::BinStorage() : HeapChar(2048), writePos(data()) {}

// Grows by the given step when fewer than `needed` bytes are free; the
// storage may move, so the write position is taken again.
void BinStorage::Reserve(std::size_t needed, std::size_t growth) {
  if (size() - length < needed) Resize(size() + growth, true);
  writePos = data() + length;
}

void BinStorage::Put(std::uint64_t value, int bytes, bool bigEndian) {
  for (int i = 0; i < bytes; ++i) {
    const int shift = 8 * (bigEndian ? bytes - 1 - i : i);
    writePos[i] = std::uint8_t(value >> shift);
  }
  length += std::uint32_t(bytes);
  writePos += bytes;
}

bool BinStorage::AppendByte(std::uint8_t value) {
  Reserve(1, 1026);
  Put(value, 1, true);
  return true;
}

bool BinStorage::AppendU16(std::uint16_t value, bool bigEndian) {
  Reserve(2, 1028);
  Put(value, 2, bigEndian);
  return true;
}

bool BinStorage::AppendU32(std::uint32_t value, bool bigEndian) {
  Reserve(4, 1032);
  Put(value, 4, bigEndian);
  return true;
}

bool BinStorage::AppendU64(std::uint64_t value, bool bigEndian) {
  Reserve(8, 1040);
  Put(value, 8, bigEndian);
  return true;
}

bool BinStorage::AppendBytes(const void* bytes, std::size_t count) {
  Reserve(count, 2 * count + 1024);
  if (count) std::memcpy(writePos, bytes, count);
  length += std::uint32_t(count);
  writePos += count;
  return true;
}

void BinStorage::AppendZeros(std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) AppendByte(0);
}

bool BinStorage::AppendHex(const std::string& text, bool bigEndian) {
  Reserve(8, 1040);
  std::uint64_t value = 0;
  std::sscanf(text.c_str(), "%" SCNx64, &value);
  const std::size_t digits = text.size();
  if (digits < 3) return AppendByte(std::uint8_t(value));
  if (digits <= 4) return AppendU16(std::uint16_t(value), bigEndian);
  if (digits <= 8) return AppendU32(std::uint32_t(value), bigEndian);
  return AppendU64(value, bigEndian);
}

bool BinStorage::AppendPString(const std::string& text, bool terminator, bool longLength) {
  if (text.size() > 255) return false;
  if (longLength) AppendU16(std::uint16_t(text.size()), true);
  else AppendByte(std::uint8_t(text.size()));
  return AppendCString(text, terminator);
}

bool BinStorage::AppendCString(const std::string& text, bool terminator) {
  if (text.size() > 255) return false;
  AppendBytes(text.data(), text.size());
  if (terminator) AppendByte(0);
  return true;
}

void BinStorage::BeginAtom(std::uint32_t type) {
  atomStarts.push_front(length);
  AppendU32(0, true);
  AppendU32(type, true);
}

std::uint32_t BinStorage::EndAtom(std::uint32_t) {
  const std::uint32_t start = atomStarts.front();
  atomStarts.pop_front();
  const std::uint32_t atomSize = length - start;
  for (int i = 0; i < 4; ++i) data()[start + i] = std::uint8_t(atomSize >> (24 - 8 * i));
  return atomSize;
}

bool BinStorage::AppendAtom(std::uint32_t type, const void* bytes, std::size_t count) {
  BeginAtom(type);
  AppendBytes(bytes, count);
  EndAtom(type);
  return true;
}

bool BinStorage::AppendFreeAtom(std::size_t count) {
  BeginAtom(Tag("free"));
  AppendZeros(count);
  EndAtom(Tag("free"));
  return true;
}
