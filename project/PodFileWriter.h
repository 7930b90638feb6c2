#pragma once
#include <cstdio>
#include <string>

// Writes the lines of a project file: section heads, key lines and the parts
// that both project generators share.
class PodFileWriter {
 public:
  explicit PodFileWriter(FILE* out) : out(out) {}

  struct Header {
    const char* baseName;
    const char* imgHeight;
    const char* audioBook;
  };
  // The [podcast] section, then two empty lines.
  void WriteHeader(const Header& header);
  // Sample values that show the user the form of each item.
  void WriteMetadataTemplate();

  void Section(const char* name);
  void Section(const char* name, int number);
  void Key(const char* key, const std::string& value);
  void Line(const char* text);
  void EmptyLines(int count);

 private:
  FILE* out;
};
