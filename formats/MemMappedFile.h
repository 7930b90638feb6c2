#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/helper/UFile.h"
#include "platform/helper/UFileMapping.h"

// A file opened for reading and writing, not shared, and mapped whole.
class MemMappedFile : public UFile {
 public:
  ~MemMappedFile() override { Close(); }

  bool Open(const std::string& name, bool unused);
  void Close();
  // Why Open failed, in plain words ("read-only file", "the file is empty", ...).
  std::string FailureText() const { return failure_; }
  std::uint8_t* View() const { return mapping.View(); }
  std::size_t Size() const { return mapping.Size(); }

 private:
  UFileMapping mapping;
  std::string failure_;
};
