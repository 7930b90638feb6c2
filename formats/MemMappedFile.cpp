#include "formats/MemMappedFile.h"

#include "platform/helper/PendingFile.h"

bool MemMappedFile::Open(const std::string& name, bool) {
  Close();
  failure_.clear();
  if (!UFile::Open(name, GENERIC_READ | GENERIC_WRITE, 0, FILE_ATTRIBUTE_NORMAL)) {
    failure_ = FileErrorText(LastError(), name);
    return false;
  }
  if (mapping.Map(*this)) return true;
  failure_ = GetFileSize() == 0 ? "the file is empty" : "the file cannot be mapped into memory";
  UFile::Close();
  return false;
}

void MemMappedFile::Close() { mapping.Close(); }
