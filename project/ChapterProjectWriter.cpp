#include "project/ChapterProjectWriter.h"

#include <cstdio>

#include "platform/helper/FileSystem.h"

namespace {
constexpr const char* kClearLink = "&clear";

int DigitsOf(std::int64_t value) {
  int digits = 1;
  for (; value >= 10; value /= 10) ++digits;
  return digits;
}

// A title the reader would skip as empty keeps its chapter as a blank.
std::string ChapterValue(const std::string& title) {
  return title.empty() ? "\" \"" : PodFileWriter::Quoted(title);
}
}  // namespace

std::string ChapterProjectWriter::TimeText(std::int64_t units) const {
  const std::int64_t scale = marks_.timeScale;
  const std::int64_t seconds = units / scale;
  std::string rest = std::to_string(units % scale);
  rest.insert(0, std::size_t(DigitsOf(scale - 1)) - rest.size(), '0');
  char text[64];
  std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld.", (long long)(seconds / 3600),
                (long long)(seconds / 60 % 60), (long long)(seconds % 60));
  return text + rest;
}

void ChapterProjectWriter::Write(PodFileWriter& pod, const std::string& baseName) const {
  WriteHeader(pod, baseName);
  WriteSections(pod);
}

// Links need the slide frame they are drawn over; without them the movie
// gets no picture at all.
void ChapterProjectWriter::WriteHeader(PodFileWriter& pod, const std::string& baseName) const {
  pod.Section("podcast");
  pod.Key("basename", PodFileWriter::Quoted(baseName));
  if (!audioBook_) pod.Key("audiofile", PodFileWriter::Quoted(audioFile_));
  pod.Key("audiobook", audioBook_ ? "true" : "false");
  pod.Key("addimages", marks_.links.empty() ? "false" : "true");
  pod.Key("timescale", std::to_string(marks_.timeScale));
  pod.EmptyLines(2);
}

std::string ChapterProjectWriter::SourceNote() const {
  const char* from = marks_.source == MovieChapters::Source::kChapterTrack ? "chapter track" : "'chpl' list";
  char note[256];
  std::snprintf(note, sizeof note, "; %zu chapters from the %s of %s, times in 1/%d s\n", marks_.chapters.size(),
                from, FileNamePart(audioFile_).c_str(), int(marks_.timeScale));
  return note;
}

// Chapters and links merge by time: a section holds what begins then.
void ChapterProjectWriter::WriteSections(PodFileWriter& pod) const {
  const auto& chapters = marks_.chapters;
  const auto& links = marks_.links;
  std::size_t c = 0, l = 0;
  for (int number = 1; c < chapters.size() || l < links.size(); ++number) {
    const bool chapterFirst = l == links.size() || (c < chapters.size() && chapters[c].start <= links[l].start);
    const std::int64_t start = chapterFirst ? chapters[c].start : links[l].start;
    pod.Section("editpoint_", number);
    if (number == 1) {
      pod.Line(";\n");
      pod.Line(SourceNote().c_str());
      pod.Line(";\n");
      if (audioBook_) pod.Key("audiofile", PodFileWriter::Quoted(audioFile_));
    }
    pod.Key("start", TimeText(start));
    if (c < chapters.size() && chapters[c].start == start) pod.Key("chapter", ChapterValue(chapters[c++].title));
    if (l < links.size() && links[l].start == start) {
      const MovieChapters::Link& link = links[l++];
      pod.Key("link", link.url.empty() ? kClearLink : PodFileWriter::Quoted(link.url));
      if (!link.text.empty()) pod.Key("linktext", PodFileWriter::Quoted(link.text));
    }
    pod.EmptyLines(1);
  }
}
