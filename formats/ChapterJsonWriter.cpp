#include "formats/ChapterJsonWriter.h"

#include <cstdio>

std::string ChapterJsonWriter::Write(const std::vector<ChapterEntry>& entries) {
  std::string out = std::string("{\"version\":\"") + kVersion + "\",\"chapters\":[";
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const ChapterEntry& e = entries[i];
    out += i == 0 ? "\n" : ",\n";
    out += "{\"startTime\":" + Seconds(e.startMs) + ",\"endTime\":" + Seconds(e.endMs);
    out += ",\"title\":" + Quoted(e.title);
    if (!e.img.empty()) out += ",\"img\":" + Quoted(e.img);
    if (!e.url.empty()) out += ",\"url\":" + Quoted(e.url);
    if (!e.toc) out += ",\"toc\":false";
    out += "}";
  }
  out += entries.empty() ? "]}\n" : "\n]}\n";
  return out;
}

// Only what JSON requires is escaped; every other character, non-ASCII
// included, stays as its UTF-8 bytes.
std::string ChapterJsonWriter::Quoted(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
          out += escaped;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

std::string ChapterJsonWriter::Seconds(std::int64_t ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%lld.%03lld", static_cast<long long>(ms / 1000), static_cast<long long>(ms % 1000));
  return text;
}
