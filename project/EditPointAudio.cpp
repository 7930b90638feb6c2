#include "project/EditPointAudio.h"

#include "platform/helper/ErrorPrintf.h"

void EditPointAudio::Dump(DumpPrinter print) const {
  print("  EditPointAudio dump\n");
  DumpFields(print);
  print("    start            %d/%d\n", audioStart.Value(), audioStart.Scale());
  print("    duration         %d/%d\n", audioLength.Value(), audioLength.Scale());
  print("    file             %s\n", file.c_str());
  print("\n");
}

bool EditPointAudio::ReadKey(const std::string& key, const std::string& value) {
  if (EditPoint::ReadKey(key, value)) return true;
  if (icompare(key, "audiofile") == 0) {
    file = value;
    return true;
  }
  if (icompare(key, "audiostart") == 0) {
    if (audioStart.Parse(value)) return true;
    ErrorPrintf("the start time string is invalid: %s\n", value.c_str());
  } else if (icompare(key, "audiolength") == 0) {
    if (audioLength.Parse(value)) return true;
    ErrorPrintf("the duration time string is invalid: %s\n", value.c_str());
  }
  return false;
}
