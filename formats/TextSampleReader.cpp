#include "formats/TextSampleReader.h"

#include <vector>

#include "platform/helper/TextEncoding.h"
#include "platform/quicktime/TextSampleWriter.h"
#include "platform/quicktime/atoms/AtomReader.h"

std::optional<TextSampleReader::Content> TextSampleReader::Read(std::span<const std::uint8_t> sample) {
  if (sample.size() < 2) return std::nullopt;
  const std::size_t length = std::size_t(sample[0]) << 8 | sample[1];
  if (sample.size() - 2 < length) return std::nullopt;
  return Content{TextOf(sample.subspan(2, length)), LinkOf(sample.subspan(2 + length))};
}

std::string TextSampleReader::TextOf(std::span<const std::uint8_t> stored) {
  if (stored.size() >= 2 && stored[0] == 0xFE && stored[1] == 0xFF)
    return TextSampleWriter::Utf8FromUtf16(stored.data() + 2, stored.size() - 2, true);
  if (stored.size() >= 2 && stored[0] == 0xFF && stored[1] == 0xFE)
    return TextSampleWriter::Utf8FromUtf16(stored.data() + 2, stored.size() - 2, false);
  return TextToUtf8(std::string_view(reinterpret_cast<const char*>(stored.data()), stored.size()));
}

// An 'href' box: the characters it covers, then the link and an alternative
// text, each behind a length byte.
std::optional<std::string> TextSampleReader::LinkOf(std::span<const std::uint8_t> boxes) {
  AtomReader reader(boxes);
  std::vector<RawAtom> atoms;
  reader.Children(atoms);
  for (const RawAtom& atom : atoms) {
    if (atom.type != Tag("href")) continue;
    AtomReader href(atom.payload);
    std::uint16_t startChar = 0, endChar = 0;
    std::uint8_t length = 0;
    std::vector<std::uint8_t> link;
    href.Field("startChar", startChar);
    href.Field("endChar", endChar);
    href.Field("length", length);
    href.Bytes("link", link, length);
    if (href.Status() == noErr) return TextToUtf8(std::string_view(reinterpret_cast<const char*>(link.data()), link.size()));
  }
  return std::nullopt;
}
