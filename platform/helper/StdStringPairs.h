#pragma once
#include <utility>
#include <vector>

#include "platform/helper/UString.h"

// Key/value pairs in the order they were read (an INI section, say).
class StdStringPairs {
 public:
  std::size_t size() const { return pairs_.size(); }
  bool empty() const { return pairs_.empty(); }
  const UString& GetKey(std::size_t i) const { return pairs_.at(i).first; }
  const UString& GetValue(std::size_t i) const { return pairs_.at(i).second; }
  void Add(const std::string& key, const std::string& value) { pairs_.emplace_back(key, value); }
  void clear() { pairs_.clear(); }

 private:
  std::vector<std::pair<UString, UString>> pairs_;
};
