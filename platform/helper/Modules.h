#pragma once
#include <string>

using ModuleHandle = void*;

// The module that holds `address` (the program itself for its own code).
ModuleHandle GetResHandle(const void* address);
// Finds `proc` in the library `dll` ("Name.dll" is looked for as
// libName.so in the program's folder). True with the address in `out`;
// an absent library is normal and simply gives false.
bool GetExportedProc(ModuleHandle module, const std::string& dll, const std::string& proc, void** out);
