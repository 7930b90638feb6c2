#include "platform/helper/UPrivProfilePrefs.h"

#include <algorithm>
#include <cctype>

#include "platform/helper/FileSystem.h"
#include "platform/helper/TextEncoding.h"

namespace {
std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return s;
}

std::string Trim(const std::string& s) {
  const auto first = s.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

// A value written "between quotes" is read without them, as INI readers do.
std::string Unquote(std::string v) {
  if (v.size() >= 2 && v.front() == '"' && v.back() == '"') return v.substr(1, v.size() - 2);
  return v;
}
}  // namespace

bool UPrivProfilePrefs::Open(const std::string& path, const char*) {
  path_ = path;
  std::string bytes;
  const bool ok = ReadWholeFile(path, bytes);
  Parse(ok ? bytes : std::string());
  return ok;
}

void UPrivProfilePrefs::Parse(std::string text) {
  text = TextToUtf8(text);
  lines_.clear();
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines_.push_back(std::move(line));
    start = end + 1;
  }
  Index();
}

void UPrivProfilePrefs::Index() {
  sections_.clear();
  byName_.clear();
  Section* current = nullptr;
  for (std::size_t n = 0; n < lines_.size(); ++n) {
    const std::string line = Trim(lines_[n]);
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line[0] == '[') {
      const std::size_t close = line.find(']');
      const std::string name = Trim(line.substr(1, close == std::string::npos ? std::string::npos : close - 1));
      sections_.push_back(Section{n, n, {}, {}});
      current = &sections_.back();
      byName_.emplace(Lower(name), sections_.size() - 1);
      continue;
    }
    if (!current) continue;
    // A line without '=' is a key with an empty value, as in a list of file names.
    const std::size_t eq = line.find('=');
    const std::string key = Trim(line.substr(0, eq));
    const std::string value = eq == std::string::npos ? std::string() : Unquote(Trim(line.substr(eq + 1)));
    Entry e{UString(key), UString(value), n};
    current->byKey.emplace(Lower(e.key), current->entries.size());
    current->entries.push_back(std::move(e));
    current->lastLine = n;
  }
}

const UPrivProfilePrefs::Section* UPrivProfilePrefs::FindSection(const std::string& name) const {
  const auto it = byName_.find(Lower(name));
  return it == byName_.end() ? nullptr : &sections_[it->second];
}

const UString* UPrivProfilePrefs::Find(const std::string& section, const std::string& key) const {
  const Section* s = FindSection(section);
  if (!s) return nullptr;
  const auto it = s->byKey.find(Lower(key));
  return it == s->byKey.end() ? nullptr : &s->entries[it->second].value;
}

bool UPrivProfilePrefs::SectionPairs(const std::string& section, StdStringPairs& pairs) const {
  const Section* s = FindSection(section);
  if (!s) return false;
  for (const Entry& e : s->entries) pairs.Add(e.key, e.value);
  return true;
}

bool UPrivProfilePrefs::Store(const std::string& section, const std::string& key, const std::string& value) {
  const std::string line = key + "=" + value;
  if (const Section* s = FindSection(section)) {
    const auto it = s->byKey.find(Lower(key));
    if (it != s->byKey.end()) lines_[s->entries[it->second].line] = line;
    else lines_.insert(lines_.begin() + std::ptrdiff_t(s->lastLine + 1), line);
  } else {
    lines_.push_back("[" + section + "]");
    lines_.push_back(line);
  }
  Index();
  return Save();
}

bool UPrivProfilePrefs::Save() const {
  if (path_.empty()) return false;
  std::string text;
  for (const std::string& line : lines_) text += line + "\n";
  return WriteWholeFile(path_, text);
}
