#pragma once
#include <cstdint>
#include <deque>
#include <string>

#include "platform/helper/HeapChar.h"

// A growable byte buffer for the structures the program writes itself:
// numbers in big-endian or native order, short strings, hexadecimal text and
// nested atoms whose sizes are filled in when they close.
class BinStorage : public HeapChar {
 public:
  BinStorage();
  ~BinStorage() override = default;

  std::uint32_t Length() const { return length; }

  bool AppendByte(std::uint8_t value);
  bool AppendU16(std::uint16_t value, bool bigEndian);
  bool AppendU32(std::uint32_t value, bool bigEndian);
  bool AppendU64(std::uint64_t value, bool bigEndian);
  bool AppendBytes(const void* bytes, std::size_t count);
  void AppendZeros(std::size_t count);
  // A hexadecimal number; its number of characters sets the width (1, 2, 4 or 8 bytes).
  bool AppendHex(const std::string& text, bool bigEndian);
  // A length byte (or a 16-bit big-endian length), the text, and an optional 0 byte; refuses over 255 characters.
  bool AppendPString(const std::string& text, bool terminator, bool longLength);
  bool AppendCString(const std::string& text, bool terminator);

  void BeginAtom(std::uint32_t type);
  // Closes the most recently opened atom; `type` only documents the call. The size written.
  std::uint32_t EndAtom(std::uint32_t type);
  bool AppendAtom(std::uint32_t type, const void* bytes, std::size_t count);
  bool AppendFreeAtom(std::size_t count);

 private:
  void Reserve(std::size_t needed, std::size_t growth);
  void Put(std::uint64_t value, int bytes, bool bigEndian);

  std::uint32_t length = 0;
  std::deque<std::uint32_t> atomStarts;
  std::uint8_t* writePos = nullptr;
};
