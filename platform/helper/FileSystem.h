#pragma once
#include <compare>
#include <cstdint>
#include <string>

#include "platform/helper/StdStringList.h"
#include "platform/helper/UString.h"

// Path and folder operations. Paths use '/'; a full path starts with '/'.

// Shell folder identifiers, as the program names them.
constexpr int CSIDL_PERSONAL = 0x05;
constexpr int CSIDL_APPDATA = 0x1A;
constexpr int CSIDL_COMMON_TEMPLATES = 0x2D;

UString GetProgramFolder();  // with a trailing '/'
UString GetCurrentDirectoryA();
bool SetCurrentDirectoryA(const std::string& folder);
// The special folder with `sub` appended ('\\' in `sub` read as '/').
UString GetSpecialFolder(int csidl, const std::string& sub);
UString GetUserNameA();  // empty when none can be found

bool FileExists(const std::string& path);  // exists and is not a folder
bool DirExists(const std::string& path);

// What makes a file itself, whatever path names it (links included).
struct FileIdentity {
  std::uint64_t device = 0, inode = 0;
  auto operator<=>(const FileIdentity&) const = default;
};
// False when `path` names nothing.
bool GetFileIdentity(const std::string& path, FileIdentity& identity);
// Whether both paths name one file; a path that names nothing is no file's.
bool SameFile(const std::string& a, const std::string& b);
bool CreatePath(const std::string& path, bool lastIsFile);  // makes every missing folder
bool DeleteFileA(const std::string& path);

bool IsWild(const std::string& path);
// Appends the files matching `pattern`, sorted; the count, or -1 when nothing matches.
int ExpandWild(const std::string& pattern, StdStringList& files);
// Orders names the way a person reads them: case-insensitive, numbers by value.
void SortAsFileNames(StdStringList& files);

UString FileNamePart(const std::string& path);  // "a/b/c.m4a" -> "c.m4a"
UString FileExtPart(const std::string& name);   // "c.m4a" -> "m4a", "" without a '.'
UString PathNamePart(const std::string& path);  // "a/b/c.m4a" -> "a/b/", "" without a '/'
bool LooksLikeFullPath(const std::string& path);
// Makes a relative `path` full on `folder`; answers whether that file exists.
bool MakeFullPath(UString& path, const std::string& folder);
UString& AddTrailingSlash(UString& folder);
bool FileNamesEqual(const std::string& a, const std::string& b);
// A path written on Windows ("C:" kept, '\\' turned into '/').
UString ToSlashPath(const std::string& path);

// A new empty file named <folder>/<prefix>XXXXXX ($TMPDIR or /tmp when `folder`
// is empty); its path, or empty on failure.
UString GetTempFileNameA(const std::string& folder, const std::string& prefix);
// The same with ".<ext>" after the unique part (none when `ext` is empty).
UString GetTempFileNameA(const std::string& folder, const std::string& prefix, const std::string& ext);
void AddPathToEnvironment(const std::string& folder);

bool ReadWholeFile(const std::string& path, std::string& bytes);
// Writes the file without a name and names it `path` once whole, so it
// appears whole or not at all; a rewritten file keeps its mode.
bool WriteWholeFile(const std::string& path, const std::string& bytes);
