#include "formats/NeroChapterList.h"

#include "platform/helper/TextEncoding.h"
#include "platform/quicktime/QtTypes.h"
#include "platform/quicktime/atoms/AtomReader.h"

namespace {
constexpr std::uint64_t kUnitsPerSecond = 10'000'000;

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// The longest head of `text` that fits in `maxBytes` without splitting a UTF-8 character.
std::string CutUtf8(const std::string& text, std::size_t maxBytes) {
  if (text.size() <= maxBytes) return text;
  std::size_t cut = maxBytes;
  while (cut > 0 && IsContinuationByte(text[cut])) --cut;
  return text.substr(0, cut);
}
}  // namespace

// Rounded to the nearest unit; split into whole seconds and the rest so that
// long books at fine time scales cannot overflow.
std::uint64_t NeroChapterList::InHundredNanoseconds(std::int64_t start) const {
  if (start <= 0 || timeScale <= 0) return 0;
  const std::uint64_t units = std::uint64_t(start), scale = std::uint64_t(timeScale);
  return units / scale * kUnitsPerSecond + (units % scale * kUnitsPerSecond + scale / 2) / scale;
}

void NeroChapterList::Add(std::int64_t start, const std::string& title) {
  chapters.push_back(Entry{InHundredNanoseconds(start), CutUtf8(title, kMaxTitleBytes)});
}

bool NeroChapterList::AppendAtom(BinStorage& out) const {
  if (chapters.size() > kMaxChapters || timeScale <= 0) return false;
  out.BeginAtom(Tag("chpl"));
  out.AppendU32(0x01000000, true);  // version 1, flags 0
  out.AppendU32(0, true);
  out.AppendByte(std::uint8_t(chapters.size()));
  for (const Entry& chapter : chapters) {
    out.AppendU64(chapter.start, true);
    out.AppendPString(chapter.title, false, false);
  }
  out.EndAtom(Tag("chpl"));
  return true;
}

// Version 1 puts four more bytes before the count.
std::optional<std::vector<NeroChapterList::Entry>> NeroChapterList::Read(std::span<const std::uint8_t> payload) {
  AtomReader reader(payload);
  std::uint8_t version = 0, count = 0;
  std::uint32_t flags = 0;
  reader.VersionFlags(version, flags);
  if (version > 0) reader.Skip(4);
  reader.Field("count", count);
  std::vector<Entry> entries(count);
  for (Entry& entry : entries) {
    std::uint8_t length = 0;
    std::vector<std::uint8_t> title;
    reader.Field("start", entry.start);
    reader.Field("length", length);
    reader.Bytes("title", title, length);
    entry.title = TextToUtf8(std::string_view(reinterpret_cast<const char*>(title.data()), title.size()));
  }
  if (reader.Status() != noErr) return std::nullopt;
  return entries;
}
