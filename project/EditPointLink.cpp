#include "project/EditPointLink.h"

void EditPointLink::Dump(DumpPrinter print) const {
  print("  EditPointLink dump\n");
  DumpFields(print);
  print("    link             %s\n", link.c_str());
  print("    link text        %s\n", linkText.c_str());
  print("\n");
}

bool EditPointLink::ReadKey(const std::string& key, const std::string& value) {
  if (EditPoint::ReadKey(key, value)) return true;
  if (icompare(key, "href") == 0 || icompare(key, "link") == 0) {
    link = value;
    if (linkText.empty()) linkText = value;
    return true;
  }
  if (icompare(key, "hreftext") == 0 || icompare(key, "linktext") == 0) {
    linkText = value;
    return true;
  }
  // Text settings are taken but not claimed, so other readers still see the key.
  textSettings.ParseKey("href", key, value);
  return false;
}
