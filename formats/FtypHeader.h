#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/helper/UString.h"

// Rewrites a file's first atom, its 'ftyp', in place. `p` is the file's
// first byte and `available` how many bytes follow it; the atom is refused
// (with a message, file unchanged) when it is not 'ftyp', too short for the
// short header, or runs past the file.
bool WriteFtypHeader(std::uint8_t* p, std::size_t available, std::size_t fullLen, const std::uint8_t* full,
                     std::size_t shortLen, const std::uint8_t* shortHeader);

// False only when the file cannot be opened and mapped; a refused atom is
// reported by its message and leaves the file as it was.
bool WriteM4AHeader(const UString& name);
bool WriteM4VHeader(const UString& name);
// The major brand becomes 'qt  ' and the rest of the atom zeros; false when the
// file cannot be opened or does not begin with an 'ftyp' atom of 12 bytes or more.
bool WriteMovHeader(const UString& name);
