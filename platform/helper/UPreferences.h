#pragma once
#include <memory>
#include <vector>

#include "platform/helper/StdStringList.h"
#include "platform/helper/StdStringPairs.h"
#include "platform/helper/UString.h"

// Named settings in sections. Reads and writes go to the current section,
// which SetSection selects and PushSection/PopSection save and restore.
class UPreferences {
 public:
  virtual ~UPreferences() = default;

  void SetSection(const std::string& section) { section_ = section; }
  const UString& CurrentSection() const { return section_; }
  void PushSection(const std::string& section);
  void PopSection();

  // Each answers the default when the key is missing from the current section.
  UString GetString(const std::string& key, const std::string& def) const;
  long GetInt(const std::string& key, long def) const;
  bool GetBool(const std::string& key, bool def) const;
  bool WriteString(const std::string& key, const std::string& value);

  // The pairs of a section in file order; the count (0 for a missing section).
  int GetKeysAndValue(const std::string& section, StdStringPairs& pairs) const;
  // The key names of a section in file order, or null for a missing section.
  std::unique_ptr<StdStringList> GetKeyList(const std::string& section) const;

 protected:
  virtual const UString* Find(const std::string& section, const std::string& key) const = 0;
  virtual bool SectionPairs(const std::string& section, StdStringPairs& pairs) const = 0;
  virtual bool Store(const std::string& section, const std::string& key, const std::string& value) = 0;

 private:
  UString section_;
  std::vector<UString> saved_;
};
