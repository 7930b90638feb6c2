// The INI reader behind the preferences and project files: any bytes must
// parse, answer look-ups and survive a rewrite without a fault.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/helper/UPrivProfilePrefs.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  UPrivProfilePrefs prefs;
  prefs.Parse(std::string(reinterpret_cast<const char*>(data), size));
  prefs.SetSection("podcast");
  (void)prefs.GetString("title", "");
  (void)prefs.GetInt("timescale", 600);
  (void)prefs.GetBool("keepfinalimages", false);
  StdStringPairs pairs;
  (void)prefs.GetKeysAndValue("metadata", pairs);
  (void)prefs.GetKeyList("editpoint_1");
  return 0;
}
