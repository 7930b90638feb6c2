#pragma once
#include <cstdint>

#include "platform/quicktime/import/ByteSource.h"
#include "platform/quicktime/import/ImportedMedia.h"

namespace mediaimport {

// A still image as a movie holds it: the whole file is one video sample
// (offset 0, the file's size) lasting one second at 600 units per second.
ImportErr FillImageMedia(ByteSource& source, ImportedMedia& media, std::uint32_t format, std::uint64_t width,
                         std::uint64_t height, std::uint16_t depth, const char* compressorName);

}  // namespace mediaimport
