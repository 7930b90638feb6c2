#include "formats/QTStdMetaData.h"

#include "platform/helper/StdStringList.h"
#include "platform/quicktime/QtTypes.h"

void QTStdMetaData::BeginMeta() {
  BeginAtom(Tag("meta"));
  AppendU32(0, true);  // version and flags
  metaOpen = true;
}

// The flags keep an unmatched end from closing some other atom.
void QTStdMetaData::EndMeta() {
  if (!metaOpen) return;
  EndAtom(Tag("meta"));
  metaOpen = false;
}

void QTStdMetaData::BeginIlst() {
  BeginAtom(Tag("ilst"));
  ilstOpen = true;
}

void QTStdMetaData::EndIlst() {
  if (!ilstOpen) return;
  EndAtom(Tag("ilst"));
  ilstOpen = false;
}

bool QTStdMetaData::AppendDataAtom(std::uint32_t dataClass, const void* bytes, std::size_t count) {
  BeginAtom(Tag("data"));
  AppendU32(dataClass, true);
  AppendU32(0, true);  // locale
  AppendBytes(bytes, count);
  EndAtom(Tag("data"));
  return true;
}

bool QTStdMetaData::AppendDataAtom(std::uint32_t dataClass, const std::string& bytes) {
  return AppendDataAtom(dataClass, bytes.data(), bytes.size());
}

bool QTStdMetaData::AppendItem(std::uint32_t type, const void* bytes, std::size_t count, std::uint32_t dataClass) {
  BeginAtom(type);
  AppendDataAtom(dataClass, bytes, count);
  EndAtom(type);
  return true;
}

bool QTStdMetaData::AddItem(std::uint32_t type, std::string value, std::uint32_t dataClass) {
  if (value.starts_with("@\"")) return AppendItem(type, value.data() + 2, value.size() - 2, kBytes);
  if (value.starts_with('@')) return AddHexItem(type, value, kBytes);
  if (value.starts_with('&')) return AddHexItem(type, value, kSignedInteger);
  return AppendItem(type, value.data(), value.size(), dataClass);
}

// Each piece's number of digits sets its width, so "0001" is two bytes.
bool QTStdMetaData::AddHexItem(std::uint32_t type, const std::string& pieces, std::uint32_t dataClass) {
  StdStringList split;
  split.SplitAndAppend(pieces.c_str(), "&@ \t", true);
  BinStorage payload;
  for (const UString& piece : split) payload.AppendHex(piece, true);
  return AppendItem(type, payload.data(), payload.Length(), dataClass);
}
