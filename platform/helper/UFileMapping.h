#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/helper/UFile.h"

// The whole of an open file mapped into memory for reading and writing;
// writes into the view change the file.
class UFileMapping {
 public:
  UFileMapping() = default;
  ~UFileMapping() { Close(); }
  UFileMapping(const UFileMapping&) = delete;
  UFileMapping& operator=(const UFileMapping&) = delete;

  // False for a file that is not open for writing, or is empty.
  bool Map(const UFile& file);
  std::uint8_t* View() const { return view_; }
  std::size_t Size() const { return size_; }
  void Close();

 private:
  std::uint8_t* view_ = nullptr;
  std::size_t size_ = 0;
};
