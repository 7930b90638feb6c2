#include "project/EditPointChapter.h"

void EditPointChapter::Dump(DumpPrinter print) const {
  print("  EditPointChapter dump\n");
  DumpFields(print);
  print("    chapter          %s\n", chapter.c_str());
  print("\n");
}

bool EditPointChapter::ReadKey(const std::string& key, const std::string& value) {
  if (EditPoint::ReadKey(key, value)) return true;
  if (icompare(key, "chapter") != 0) return false;
  chapter = value;
  return true;
}
