#include "formats/FtypHeader.h"

#include <cstdio>
#include <cstring>

#include "formats/MemMappedFile.h"
#include "platform/helper/ErrorPrintf.h"

namespace {
constexpr std::uint8_t kM4AFull[32] = {0x00, 0x00, 0x00, 0x20, 'f', 't', 'y', 'p', 'M', '4', 'A', ' ', 0, 0, 0, 0,
                                       'M',  '4',  'A',  ' ',  'm', 'p', '4', '2', 'i', 's', 'o', 'm', 0, 0, 0, 0};
constexpr std::uint8_t kM4AShort[12] = {0, 0, 0, 0, 'f', 't', 'y', 'p', 'M', '4', 'A', ' '};
constexpr std::uint8_t kM4VFull[32] = {0x00, 0x00, 0x00, 0x20, 'f', 't', 'y', 'p', 'M', '4', 'V', ' ', 0, 0, 0, 1,
                                       'M',  '4',  'V',  ' ',  'M', '4', 'A', ' ', 'm', 'p', '4', '2', 'i', 's', 'o', 'm'};
constexpr std::uint8_t kMovBrand[4] = {'q', 't', ' ', ' '};
constexpr std::size_t kFullLength = 32;

std::uint32_t BigU32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

bool IsFtyp(const std::uint8_t* p) {
  static constexpr char kType[] = "ftyp";
  for (int i = 0; i < 4; ++i)
    if ((p[4 + i] | 0x20) != kType[i]) return false;
  return true;
}

// Opens the file for a rewrite; a line on standard error says why it cannot be.
bool OpenForRewrite(MemMappedFile& file, const UString& name) {
  if (file.Open(name, false)) return true;
  ErrorPrintf("file header of \"%s\" was not written: %s\n", name.c_str(), file.FailureText().c_str());
  return false;
}

bool RewriteMapped(const UString& name, std::size_t shortLen, const std::uint8_t* shortHeader,
                   const std::uint8_t* full) {
  MemMappedFile file;
  if (!OpenForRewrite(file, name)) return false;
  WriteFtypHeader(file.View(), file.Size(), kFullLength, full, shortLen, shortHeader);
  file.Close();
  return true;
}
}  // namespace

bool WriteFtypHeader(std::uint8_t* p, std::size_t available, std::size_t fullLen, const std::uint8_t* full,
                     std::size_t shortLen, const std::uint8_t* shortHeader) {
  if (available < 8 || !IsFtyp(p)) {
    std::printf("file does not begin with an 'ftyp' atom\n");
    return false;
  }
  const std::size_t size = BigU32(p);
  if (size < shortLen) {
    std::printf("'ftyp' atom is shorter than the file header we want to write\n");
    std::printf("  this is fixable but not currently implemented\n");
    return false;
  }
  if (size > available) {
    std::printf("'ftyp' atom runs past the end of the file\n");
    return false;
  }
  if (size == fullLen) {
    std::memcpy(p, full, fullLen);
  } else if (size > fullLen) {
    std::memcpy(p + 4, full + 4, fullLen - 4);
    std::memset(p + kFullLength, 'Z', size - kFullLength);
  } else {
    std::memcpy(p + 4, shortHeader + 4, shortLen - 4);
    std::memset(p + shortLen, 0, size - shortLen);
  }
  return true;
}

bool WriteM4AHeader(const UString& name) { return RewriteMapped(name, sizeof kM4AShort, kM4AShort, kM4AFull); }

// The M4V header has no short form: its shortest accepted atom is the full one.
bool WriteM4VHeader(const UString& name) { return RewriteMapped(name, kFullLength, kM4VFull, kM4VFull); }

bool WriteMovHeader(const UString& name) {
  MemMappedFile file;
  if (!OpenForRewrite(file, name)) return false;
  std::uint8_t* p = file.View();
  if (file.Size() < 12 || !IsFtyp(p) || BigU32(p) < 12 || BigU32(p) > file.Size()) {
    std::printf("file does not begin with an 'ftyp' atom\n");
    return false;
  }
  std::memcpy(p + 8, kMovBrand, sizeof kMovBrand);
  std::memset(p + 12, 0, BigU32(p) - 12);
  return true;
}
