#pragma once
#include <cstdio>
#include <string>

// Writes the lines of a project file, to a file or to text in memory:
// section heads, key lines and the parts that the project generators share.
class PodFileWriter {
 public:
  explicit PodFileWriter(FILE* out) : out(out) {}
  explicit PodFileWriter(std::string* text) : text(text) {}

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

  // A value as it must be written for the project reader to give it back:
  // line breaks and other control characters become blanks, and a value
  // with blanks at its ends, or one that is itself between quotes, is put
  // between quotes.
  static std::string Quoted(const std::string& value);

 private:
  void Put(const std::string& line);

  FILE* out = nullptr;
  std::string* text = nullptr;
};
