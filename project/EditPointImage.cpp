#include "project/EditPointImage.h"

void EditPointImage::Dump(DumpPrinter print) const {
  print("  EditPointImage dump\n");
  DumpFields(print);
  print("    file             %s\n", file.c_str());
  for (const TitleItem& title : titles) print("    title            %s\n", title.text.c_str());
  print("\n");
}

bool EditPointImage::ReadKey(const std::string& key, const std::string& value) {
  if (EditPoint::ReadKey(key, value)) return true;
  if (icompare(key, "image") == 0) {
    file = value;
    return true;
  }
  if (titleFormat.ParseKey("title", key, value)) return true;
  if (icompare(key, "title") != 0) return false;
  titles.Add(value, titleFormat);
  ++titleCount;
  return true;
}
