#pragma once
#include <cstdint>
#include <vector>

#include "platform/quicktime/QtTypes.h"

// Sound and image descriptions cross the toolbox interface with their fixed
// fields in the host's byte order, as callers read them as structures; files
// hold them big-endian. Extension atoms after the fixed fields, and every
// other kind of description, stay as they are.
class DescriptionByteOrder {
 public:
  static void ToHost(OSType mediaType, std::vector<std::uint8_t>& description);
  static void ToFile(OSType mediaType, std::vector<std::uint8_t>& description);

 private:
  static void Swap(OSType mediaType, std::vector<std::uint8_t>& description, bool toHost);
};
