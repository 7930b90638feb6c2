#include "formats/WebVttWriter.h"

#include <cstdio>

std::string WebVttWriter::Write(const std::vector<ChapterEntry>& chapters) {
  std::string out = "WEBVTT\n";
  for (const ChapterEntry& c : chapters)
    out += "\n" + Timestamp(c.startMs) + " --> " + Timestamp(c.endMs) + "\n" + CueText(c.title) + "\n";
  return out;
}

std::string WebVttWriter::Timestamp(std::int64_t ms) {
  const long long total = ms < 0 ? 0 : ms;
  char text[40];
  std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld.%03lld", total / 3600000, total / 60000 % 60,
                total / 1000 % 60, total % 1000);
  return text;
}

// Lines that hold nothing but blanks are dropped with the breaks around
// them: an empty line would end the cue and start reading its rest as a new one.
std::string WebVttWriter::CueText(const std::string& title) {
  std::string out, line;
  bool lineHasText = false;
  const auto endLine = [&]() {
    if (lineHasText) out += (out.empty() ? "" : "\n") + line;
    line.clear();
    lineHasText = false;
  };
  for (const char c : title) {
    switch (c) {
      case '\r':
      case '\n': endLine(); continue;
      case '&': line += "&amp;"; break;
      case '<': line += "&lt;"; break;
      case '>': line += "&gt;"; break;
      default: line += c;
    }
    if (c != ' ' && c != '\t') lineHasText = true;
  }
  endLine();
  return out;
}
