// 'esds' atoms come straight from the files users hand us: parsing, finding
// and patching one must stay inside its bytes whatever they say.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "assembly/SoundDescriptions.h"
#include "platform/quicktime/QtTypes.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool quiet = std::freopen("/dev/null", "w", stdout) != nullptr;
  (void)quiet;
  std::vector<std::uint8_t> bytes(data, data + size);
  std::uint32_t atomSize = 0;
  const std::uint8_t* found = FindAtomInHandle(bytes.data(), bytes.size(), Tag("esds"), atomSize);
  std::uint8_t* atom = found ? bytes.data() + (found - bytes.data()) : bytes.data();
  const std::size_t length = found ? atomSize : bytes.size();
  EsdsInfo info;
  if (ParseEsds(atom, length, info)) {
    (void)HexText(info.decoderSpecificInfo.data(), info.decoderSpecificInfo.size());
  }
  ESDSSetBufferSizeAndBitrate(atom, length, 6144, 256000, 256000);
  DumpSoundDescription(1, bytes.data(), bytes.size());
  return 0;
}
