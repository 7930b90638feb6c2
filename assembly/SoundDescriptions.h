#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Sound descriptions and their MPEG-4 elementary stream descriptor ('esds').
// A sound description is held with its fixed fields in the host's byte order,
// its extension atoms big-endian, as the toolbox hands it out.

class QTTrack;

// Every sound description of the track in the short (version 0) form followed
// directly by its 'esds'; with `patch` and more than one description, each
// 'esds' also gets a common buffer size and bit rates. Version 2 descriptions,
// whose fields lie elsewhere, are left as they are.
void FixSoundDescriptions(QTTrack* track, bool patch);

// The fields of an 'esds' atom.
struct EsdsInfo {
  std::uint8_t version = 0;
  std::uint32_t flags = 0;
  std::uint8_t esTag = 0;
  std::vector<std::uint8_t> esDesc;  // ES identifier and flags, as they stand
  std::uint8_t objectType = 0;
  std::uint8_t streamType = 0;
  std::uint32_t bufferSize = 0;
  std::uint32_t maxBitrate = 0;
  std::uint32_t avgBitrate = 0;
  std::vector<std::uint8_t> decoderSpecificInfo;
  std::vector<std::uint8_t> trailer;  // every byte after it, up to the atom's size
};

// A descriptor length: 1 to 4 bytes of 7 bits each, the high bit marking another.
// Advances `pos`; false when the bytes run out.
bool ReadDescriptorLength(const std::uint8_t* p, std::size_t size, std::size_t& pos, std::uint32_t& length);
bool ParseEsds(const std::uint8_t* atom, std::size_t size, EsdsInfo& info);
// Writes the buffer size and both bit rates in place; false when the atom is not as expected.
bool ESDSSetBufferSizeAndBitrate(std::uint8_t* atom, std::size_t size, std::uint32_t bufferSize,
                                 std::uint32_t maxBitrate, std::uint32_t avgBitrate);
// The atom of `type` inside `bytes` (its size field first), or null; `size` is its
// size, 0 when there is none. An atom whose size runs past the bytes is not found.
const std::uint8_t* FindAtomInHandle(const std::uint8_t* bytes, std::size_t length, std::uint32_t type,
                                     std::uint32_t& size);
// Each byte as "%2x" and a blank.
std::string HexText(const std::uint8_t* bytes, std::size_t count);
void DumpSoundDescription(int number, const std::uint8_t* description, std::size_t length);
