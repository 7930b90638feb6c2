#pragma once
#include <cstdint>
#include <string>

#include "imaging/MediaFormat.h"
#include "imaging/TitleList.h"
#include "platform/helper/StdStringList.h"
#include "platform/helper/UString.h"
#include "platform/helper/Win32Defs.h"
#include "project/EditPointList.h"

class UPreferences;

// Everything one .pod project file says: the show's settings, its files
// (looked up in the project folder and the alternative folders), its
// metadata, its default titles and its edit points.
class PodProject {
 public:
  static constexpr std::int32_t kPngFormat = 13;
  static constexpr std::int32_t kJpegFormat = 2;
  static constexpr std::int32_t kBicubic = 1;

  explicit PodProject(std::int32_t timeScale = 600);
  PodProject(const PodProject&) = delete;
  PodProject& operator=(const PodProject&) = delete;

  // Reads the project; false when it cannot be built (no basename, a missing audio file).
  bool Load(const std::string& podFileName, const std::string& folder);
  // The same from text already in memory, as if read from that file.
  bool LoadText(const std::string& text, const std::string& podFileName, const std::string& folder);
  // Turns a name the project gives into the full path of an existing file;
  // on failure the name stays as it was written.
  bool LocateFile(UString& name) const;
  // Reads section editpoint_<number><letter> and the lettered sections after
  // it; true when the next number is to be tried.
  bool ReadEditPointSection(const UPreferences& prefs, std::int32_t number, std::int32_t letterIndex);
  // The loaded project on standard output, for checking a .pod by eye.
  void Dump() const;

  std::int32_t timeScale;
  UString podFile;
  UString baseFolder;
  UString audioFile;
  UString basename;
  UString silence;
  StdStringList metadata;  // four-character code followed by the value
  StdStringList artwork;
  UString defaultImage;
  std::int32_t imgWidth = 0, imgHeight = 0;
  std::int32_t imgScaleWidth = 0, imgScaleHeight = 0;
  COLORREF backgroundColor = 0;
  bool addImages = true, addVideo = false, audioBook = false;
  std::int32_t audioStart = 0, audioLength = 0;  // whole seconds
  StdStringList altFolders;
  StdStringList fonts;
  MediaFormat defaultTitleFormat;
  TitleList defaultTitles;
  EditPointList editPoints;
  std::int32_t podCount = 0;
  bool keepFinalImages = false, keepIntermediateImages = false;
  std::int32_t qtImageFormat = kPngFormat;
  std::int32_t intScaleFactor = 4;
  std::int32_t intScaleMethod = kBicubic, imgScaleMethod = kBicubic;
  bool chapterJson = false, chapterVtt = false;  // chapter files beside the movie
  UString chapterBaseUrl;                        // where the JSON chapters' pictures will be found

 private:
  UString NameFiles(const std::string& podFileName, const std::string& folder);
  static bool IsTooLarge(const std::string& path);
  bool Read(UPreferences& prefs, const std::string& fullPath);
  void ReadImageSettings(const UPreferences& prefs);
  void ReadFolders(const UPreferences& prefs);
  void ReadArtwork(const UPreferences& prefs);
  void ReadImageSizes(const UPreferences& prefs);
  void ReadLook(const UPreferences& prefs);
  void ReadMetadata(UPreferences& prefs);
  void ReadBuildSwitches(const UPreferences& prefs);
  bool ReadChapterFiles(const UPreferences& prefs, const std::string& fullPath);
  void ReadDefaultTitles(const UPreferences& prefs);
  void PrepareSection(PODEditPoint& group) const;
  bool LocateInFolders(UString& path) const;
  void DumpSettings() const;
  void DumpTitleFormat(const char* label, const MediaFormatBase& format) const;
};

// A resampling filter's number from its name ("box", "bicubic", ...); `def` for any other name.
std::int32_t ScaleFilterFromName(const std::string& name, std::int32_t def);
