#include "platform/helper/UPreferences.h"

#include <cstdlib>

void UPreferences::PushSection(const std::string& section) {
  saved_.push_back(section_);
  section_ = section;
}

void UPreferences::PopSection() {
  if (saved_.empty()) return;
  section_ = saved_.back();
  saved_.pop_back();
}

UString UPreferences::GetString(const std::string& key, const std::string& def) const {
  const UString* value = Find(section_, key);
  return value ? *value : UString(def);
}

long UPreferences::GetInt(const std::string& key, long def) const {
  const UString* value = Find(section_, key);
  return value ? std::atol(value->c_str()) : def;
}

bool UPreferences::GetBool(const std::string& key, bool def) const {
  const UString* value = Find(section_, key);
  if (!value) return def;
  for (const char* yes : {"true", "yes", "on"})
    if (icompare(*value, yes) == 0) return true;
  return std::atol(value->c_str()) != 0;
}

bool UPreferences::WriteString(const std::string& key, const std::string& value) {
  return Store(section_, key, value);
}

int UPreferences::GetKeysAndValue(const std::string& section, StdStringPairs& pairs) const {
  pairs.clear();
  SectionPairs(section, pairs);
  return int(pairs.size());
}

std::unique_ptr<StdStringList> UPreferences::GetKeyList(const std::string& section) const {
  StdStringPairs pairs;
  if (!SectionPairs(section, pairs)) return nullptr;
  auto keys = std::make_unique<StdStringList>();
  for (std::size_t i = 0; i < pairs.size(); ++i) keys->push_back(pairs.GetKey(i));
  return keys;
}
