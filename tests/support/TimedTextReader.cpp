#include "TimedTextReader.h"

#include <sstream>

#include "TestSupport.h"
#include "platform/quicktime/atoms/AtomReader.h"

namespace {
// One line of ffprobe's hex dump ("00000000: 0005 4f6e 65  ..One"); false for other lines.
bool AppendDumpLine(const std::string& line, std::vector<std::uint8_t>& bytes) {
  if (line.size() < 10 || line[8] != ':') return false;
  std::istringstream words(line.substr(10, 40));
  for (std::string w; words >> w;)
    for (std::size_t i = 0; i + 1 < w.size(); i += 2)
      bytes.push_back(std::uint8_t(std::stoi(w.substr(i, 2), nullptr, 16)));
  return true;
}

std::string Text(AtomReader& in, std::uint64_t count) {
  std::vector<std::uint8_t> bytes;
  in.Bytes("text", bytes, count);
  return std::string(bytes.begin(), bytes.end());
}

std::string PascalText(AtomReader& in) {
  std::uint8_t length = 0;
  in.Field("length", length);
  return Text(in, length);
}

void ReadBox(AtomReader& in, QDRect& box) {
  in.Field("top", box.top);
  in.Field("left", box.left);
  in.Field("bottom", box.bottom);
  in.Field("right", box.right);
}

void ReadStyle(AtomReader& in, TimedTextStyle& style) {
  in.Field("start", style.startChar);
  in.Field("end", style.endChar);
  in.Field("font", style.fontId);
  in.Field("face", style.face);
  in.Field("size", style.size);
  for (std::uint8_t& component : style.rgba) in.Field("colour", component);
}

void ReadSampleBox(AtomReader& body, OSType type, TimedTextSample& sample) {
  if (type == Tag("href")) {
    TimedTextSample::Href href;
    body.Field("start", href.startChar);
    body.Field("end", href.endChar);
    href.link = PascalText(body);
    href.alternative = PascalText(body);
    sample.href = href;
  } else if (type == Tag("styl")) {
    std::uint16_t count = 0;
    body.Field("count", count);
    body.Array("styles", sample.styles, count, 12, [&](TimedTextStyle& style) { ReadStyle(body, style); });
  } else if (type == Tag("tbox")) {
    QDRect box;
    ReadBox(body, box);
    sample.box = box;
  }
  if (body.Left() != 0) body.Fail();  // every box is read whole
}
}  // namespace

TimedTextSample ReadTimedTextSample(std::span<const std::uint8_t> bytes) {
  TimedTextSample sample;
  AtomReader in(bytes);
  std::uint16_t length = 0;
  in.Field("length", length);
  sample.text = Text(in, length);
  while (in.Status() == noErr && in.Left() > 0) {
    AtomHeader header;
    if (!in.ReadHeader(header)) break;
    AtomReader body = in.Child(header.payloadBytes);
    sample.boxTypes.push_back(TagText(header.type));
    ReadSampleBox(body, header.type, sample);
    in.Absorb(body);
  }
  sample.ok = in.Status() == noErr;
  return sample;
}

TimedTextDescription ReadTimedTextDescription(std::span<const std::uint8_t> bytes) {
  TimedTextDescription d;
  AtomReader in(bytes);
  in.Field("flags", d.displayFlags);
  in.Field("horizontal", d.horizontal);
  in.Field("vertical", d.vertical);
  for (std::uint8_t& component : d.background) in.Field("background", component);
  ReadBox(in, d.box);
  ReadStyle(in, d.style);
  AtomHeader header;
  if (in.ReadHeader(header) && header.type == Tag("ftab")) {
    AtomReader body = in.Child(header.payloadBytes);
    std::uint16_t count = 0;
    body.Field("count", count);
    body.Array("fonts", d.fonts, count, 3, [&](std::pair<std::uint16_t, std::string>& font) {
      body.Field("id", font.first);
      font.second = PascalText(body);
    });
    if (body.Left() != 0) body.Fail();
    in.Absorb(body);
  } else {
    in.Fail();
  }
  d.ok = in.Status() == noErr && in.Left() == 0;
  return d;
}

std::vector<std::vector<std::uint8_t>> PacketsOf(const std::string& path, const std::string& streamSelector) {
  std::istringstream dump(ReaderSays("ffprobe -v error -select_streams " + streamSelector +
                                     " -show_packets -show_data -of default " + Quote(path)));
  std::vector<std::vector<std::uint8_t>> packets;
  for (std::string line; std::getline(dump, line);) {
    if (line == "[PACKET]") packets.emplace_back();
    if (!packets.empty()) AppendDumpLine(line, packets.back());
  }
  return packets;
}

TimedTextDescription SubtitleDescriptionOf(const std::string& path) {
  std::istringstream dump(ReaderSays("ffprobe -v error -select_streams s:0 -show_data -show_entries stream=extradata "
                                     "-of default " + Quote(path)));
  std::vector<std::uint8_t> bytes;
  for (std::string line; std::getline(dump, line);) AppendDumpLine(line, bytes);
  return ReadTimedTextDescription(bytes);
}
