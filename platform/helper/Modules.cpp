#include "platform/helper/Modules.h"

#include <dlfcn.h>

#include "platform/helper/FileSystem.h"

ModuleHandle GetResHandle(const void* address) {
  Dl_info info{};
  return dladdr(address, &info) ? info.dli_fbase : nullptr;
}

bool GetExportedProc(ModuleHandle, const std::string& dll, const std::string& proc, void** out) {
  std::string stem = dll;
  if (stem.size() > 4 && icompare(stem, stem.size() - 4, 4, ".dll") == 0) stem.resize(stem.size() - 4);
  const std::string path = GetProgramFolder() + "lib" + stem + ".so";
  if (!FileExists(path)) return false;
  void* lib = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);  // kept loaded for the run
  if (!lib) return false;
  *out = dlsym(lib, proc.c_str());
  return *out != nullptr;
}
