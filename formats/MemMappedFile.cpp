#include "formats/MemMappedFile.h"

bool MemMappedFile::Open(const std::string& name, bool) {
  Close();
  if (!UFile::Open(name, GENERIC_READ | GENERIC_WRITE, 0, FILE_ATTRIBUTE_NORMAL)) return false;
  if (mapping.Map(*this)) return true;
  UFile::Close();
  return false;
}

void MemMappedFile::Close() { mapping.Close(); }
