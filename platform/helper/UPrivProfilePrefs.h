#pragma once
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/helper/UPreferences.h"

// An INI file. Section and key names match without regard to case; the first
// of two equal keys wins. Text that is not valid UTF-8 is taken as
// Windows-1252 and converted. Writes rewrite the whole file atomically and
// keep every other line as it was.
class UPrivProfilePrefs : public UPreferences {
 public:
  UPrivProfilePrefs() = default;
  explicit UPrivProfilePrefs(const std::string& path) { Open(path, nullptr); }

  // Reads the file; a missing or unreadable file reads as empty (false).
  bool Open(const std::string& path, const char* unused);
  // Takes INI text directly (UTF-8 or Windows-1252), with no file behind it.
  void Parse(std::string text);
  const std::string& Path() const { return path_; }

 protected:
  const UString* Find(const std::string& section, const std::string& key) const override;
  bool SectionPairs(const std::string& section, StdStringPairs& pairs) const override;
  bool Store(const std::string& section, const std::string& key, const std::string& value) override;

 private:
  struct Entry {
    UString key, value;
    std::size_t line;
  };
  struct Section {
    std::size_t headerLine, lastLine;
    std::vector<Entry> entries;
    std::unordered_map<std::string, std::size_t> byKey;  // lower-case key -> first entry
  };
  const Section* FindSection(const std::string& name) const;
  void Index();
  bool Save() const;

  std::string path_;
  std::vector<std::string> lines_;
  std::vector<Section> sections_;
  std::unordered_map<std::string, std::size_t> byName_;  // lower-case name -> first section
};
