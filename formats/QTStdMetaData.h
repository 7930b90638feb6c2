#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "formats/BinStorage.h"

// The movie's descriptive metadata in the item-list form players read: a
// 'meta' atom holding 'hdlr' and an 'ilst' of items, each item one 'data'
// atom of a class (text, bytes, integer, picture) and its payload.
class QTStdMetaData : public BinStorage {
 public:
  enum DataClass : std::uint32_t { kBytes = 0, kText = 1, kCoverImage = 14, kSignedInteger = 21 };

  void BeginMeta();
  void EndMeta();
  void BeginIlst();
  void EndIlst();

  bool AppendDataAtom(std::uint32_t dataClass, const void* bytes, std::size_t count);
  bool AppendDataAtom(std::uint32_t dataClass, const std::string& bytes);
  bool AppendItem(std::uint32_t type, const void* bytes, std::size_t count, std::uint32_t dataClass);
  // The value decides the data: @"text is bytes as they stand (class 0),
  // @hex and &hex are hexadecimal pieces (class 0 and 21), anything else is
  // its own bytes with `dataClass`.
  bool AddItem(std::uint32_t type, std::string value, std::uint32_t dataClass);

 private:
  bool AddHexItem(std::uint32_t type, const std::string& pieces, std::uint32_t dataClass);

  bool metaOpen = false;
  bool ilstOpen = false;
};
