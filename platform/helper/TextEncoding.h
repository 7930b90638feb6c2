#pragma once
#include <string>
#include <string_view>

// Text inside the program is UTF-8. Files written on Windows arrive in
// Windows-1252 and are converted once, where they are read.
bool IsValidUtf8(std::string_view text);
std::string Cp1252ToUtf8(std::string_view text);
// UTF-8 as it stands, or Windows-1252 converted; a leading UTF-8 byte-order mark dropped.
std::string TextToUtf8(std::string_view bytes);
// UTF-16 big-endian with the byte-order mark FE FF, as text samples hold it.
std::string StrToWideCharBOM(std::string_view utf8);
