#include "project/PodFileWriter.h"

void PodFileWriter::WriteHeader(const Header& header) {
  Section("podcast");
  Key("basename", header.baseName);
  Key("altFolder1", "");
  Key("shownotes", "shownotes");
  Key("imgwidth", "300");
  Key("imgheight", header.imgHeight);
  Key("addimages", "true");
  Key("audiobook", header.audioBook);
  Key("artwork", "");
  EmptyLines(2);
}

// The file is UTF-8, so the keys' © is the character, which the project
// reader turns into the item type's single byte 0xA9.
void PodFileWriter::WriteMetadataTemplate() {
  Section("metadata");
  Key("purl", "@\"http://www.example.com/podcast/feed.xml");
  Key("egid", "@\"http://www.example.com/podcast/episode1.m4a");
  Key("©cpy", "Copyright Some Podcast Creator. All rights reserved.");
  Key("©nam", "Some Podcast Episode");
  Key("©ART", "Some Podcast Creator");
  Key("©alb", "Some Podcasts");
  Key("©gen", "Podcast");
  Key("©day", "&today");
  Key("rtng", "&00");
  Key("catg", "podcasts");
  Key("desc", "Some Podcast description.");
  Key("pcst", "&01");
  Key("©lyr", "");
}

void PodFileWriter::Section(const char* name) { Put(std::string("[") + name + "]\n"); }

void PodFileWriter::Section(const char* name, int number) {
  Put(std::string("[") + name + std::to_string(number) + "]\n");
}

void PodFileWriter::Key(const char* key, const std::string& value) { Put(std::string(key) + "=" + value + "\n"); }

void PodFileWriter::Line(const char* line) { Put(line); }

void PodFileWriter::EmptyLines(int count) {
  for (int i = 0; i < count; ++i) Put("\n");
}

void PodFileWriter::Put(const std::string& line) {
  if (text) text->append(line);
  else std::fputs(line.c_str(), out);
}

// The reader trims blanks and tabs from a value and takes one pair of
// quotes around it away; it has no way to continue a value on another line.
std::string PodFileWriter::Quoted(const std::string& value) {
  std::string clean = value;
  for (char& c : clean)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  const bool blankAtEnd = !clean.empty() && (clean.front() == ' ' || clean.back() == ' ');
  const bool betweenQuotes = clean.size() >= 2 && clean.front() == '"' && clean.back() == '"';
  return blankAtEnd || betweenQuotes ? '"' + clean + '"' : clean;
}
