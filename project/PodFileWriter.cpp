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

void PodFileWriter::Section(const char* name) { std::fprintf(out, "[%s]\n", name); }

void PodFileWriter::Section(const char* name, int number) { std::fprintf(out, "[%s%d]\n", name, number); }

void PodFileWriter::Key(const char* key, const std::string& value) {
  std::fprintf(out, "%s=%s\n", key, value.c_str());
}

void PodFileWriter::Line(const char* text) { std::fputs(text, out); }

void PodFileWriter::EmptyLines(int count) {
  for (int i = 0; i < count; ++i) std::fputs("\n", out);
}
