#include "project/PodProject.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "platform/helper/FileSystem.h"
#include "platform/helper/UFile.h"
#include "platform/helper/UPrivProfilePrefs.h"
#include "platform/helper/ErrorPrintf.h"

namespace {
constexpr const char* kEditPointPrefix = "editpoint_";
constexpr const char* kLastEditPoint = "editpoint_last";
// Even ten thousand sections take a few megabytes; a file beyond this is no
// project, and reading it would only fill memory.
constexpr std::int64_t kMaxPodBytes = std::int64_t(32) << 20;

struct FilterName {
  const char* name;
  std::int32_t filter;
};
constexpr FilterName kFilters[] = {{"box", 0},        {"bicubic", 1},    {"bilinear", 2},
                                   {"bspline", 3},    {"catmullrom", 4}, {"lanczos3", 5}};

std::int32_t Int32Of(long n) { return n < INT32_MIN ? INT32_MIN : n > INT32_MAX ? INT32_MAX : std::int32_t(n); }

// A size in range, or the default with a report.
std::int32_t CheckedSize(long value, bool zeroAllowed, std::int32_t max, std::int32_t def, const char* report) {
  const std::int32_t n = Int32Of(value);
  if ((zeroAllowed && n == 0) || (n >= 16 && n <= max)) return n;
  ErrorPrintf(report, n, def);
  return def;
}

// The next character of UTF-8 text; a byte that starts no character stands for itself.
char32_t NextChar(const std::string& s, std::size_t& i) {
  const unsigned char lead = static_cast<unsigned char>(s[i]);
  const std::size_t extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
  if (extra == 0 || i + extra >= s.size()) {
    ++i;
    return lead;
  }
  char32_t c = lead & (0x3F >> extra);
  for (std::size_t k = 1; k <= extra; ++k) c = c << 6 | (static_cast<unsigned char>(s[i + k]) & 0x3F);
  i += extra + 1;
  return c;
}

// A metadata key as a four-character code: four characters, cut or filled
// with blanks, one byte each, so that "©nam" is A9 6E 61 6D however the file
// was encoded.
std::string FourCharCodeOf(const std::string& key) {
  std::string code;
  for (std::size_t i = 0; i < key.size() && code.size() < 4;) {
    const char32_t c = NextChar(key, i);
    code += c <= 0xFF ? char(c) : '?';
  }
  code.resize(4, ' ');
  return code;
}

void PrintOut(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  std::vprintf(fmt, args);
  va_end(args);
}

const char* YesNo(bool b) { return b ? "true" : "false"; }

// A four-character code printed as text: its bytes are Latin-1 characters.
std::string Latin1ToUtf8(const std::string& bytes) {
  std::string out;
  for (const char b : bytes) {
    const unsigned char c = static_cast<unsigned char>(b);
    if (c < 0x80) {
      out += b;
    } else {
      out += char(0xC0 | c >> 6);
      out += char(0x80 | (c & 0x3F));
    }
  }
  return out;
}
}  // namespace

std::int32_t ScaleFilterFromName(const std::string& name, std::int32_t def) {
  for (const FilterName& f : kFilters)
    if (icompare(name, f.name) == 0) return f.filter;
  return def;
}

PodProject::PodProject(std::int32_t timeScale_) : timeScale(timeScale_) {}

bool PodProject::Load(const std::string& podFileName, const std::string& folder) {
  const UString fullPath = NameFiles(podFileName, folder);
  if (IsTooLarge(fullPath)) return false;
  UPrivProfilePrefs prefs;
  if (!prefs.Open(fullPath, nullptr)) {
    ErrorPrintf("pod file %s does not exist\n", fullPath.c_str());
    return false;
  }
  return Read(prefs, fullPath);
}

UString PodProject::NameFiles(const std::string& podFileName, const std::string& folder) {
  podFile = podFileName;
  baseFolder = folder;
  UString fullPath(podFileName);
  MakeFullPath(fullPath, folder);
  return fullPath;
}

bool PodProject::LoadText(const std::string& text, const std::string& podFileName, const std::string& folder) {
  const UString fullPath = NameFiles(podFileName, folder);
  UPrivProfilePrefs prefs;
  prefs.Parse(text);
  return Read(prefs, fullPath);
}

bool PodProject::Read(UPreferences& prefs, const std::string& fullPath) {
  prefs.SetSection("podcast");
  keepFinalImages = prefs.GetBool("keepfinalimages", false);
  keepIntermediateImages = prefs.GetBool("keepintermediateimages", false);
  ReadImageSettings(prefs);
  ReadFolders(prefs);
  audioFile = prefs.GetString("audiofile", "");
  if (!audioFile.empty() && !LocateFile(audioFile)) {
    ErrorPrintf("%s does not exist\n", audioFile.c_str());
    return false;
  }
  ReadArtwork(prefs);
  basename = prefs.GetString("basename", "");
  if (basename.empty()) {
    ErrorPrintf("\"basename\" entry in [podcast] in file %s is missing\n", fullPath.c_str());
    return false;
  }
  if (!ReadChapterFiles(prefs, fullPath)) return false;
  ReadImageSizes(prefs);
  ReadLook(prefs);
  ReadMetadata(prefs);
  ReadBuildSwitches(prefs);
  ReadDefaultTitles(prefs);
  std::int32_t number = 1;
  while (ReadEditPointSection(prefs, number, 0)) ++number;
  return true;
}

bool PodProject::IsTooLarge(const std::string& path) {
  UFile file;
  if (!file.Open(path, GENERIC_READ, FILE_SHARE_READ, FILE_ATTRIBUTE_NORMAL)) return false;
  const std::int64_t size = file.GetFileSize();
  if (size <= kMaxPodBytes) return false;
  ErrorPrintf("pod file %s is too large to be a project (%lld bytes)\n", path.c_str(), static_cast<long long>(size));
  return true;
}

void PodProject::ReadImageSettings(const UPreferences& prefs) {
  const UString format = prefs.GetString("qtimageformat", "");
  if (icompare(format, "jpeg") == 0) qtImageFormat = kJpegFormat;
  else if (icompare(format, "png") == 0) qtImageFormat = kPngFormat;
  const long factor = prefs.GetInt("intscalefactor", intScaleFactor);
  if (factor >= 1 && factor <= 16) intScaleFactor = std::int32_t(factor);
  intScaleMethod = ScaleFilterFromName(prefs.GetString("intscalemethod", ""), kBicubic);
  imgScaleMethod = ScaleFilterFromName(prefs.GetString("imgscalemethod", ""), kBicubic);
}

// Folders written on Windows keep working: their backslashes become '/'.
void PodProject::ReadFolders(const UPreferences& prefs) {
  UString base(baseFolder);
  altFolders.push_back(AddTrailingSlash(base));
  for (int n = 1;; ++n) {
    UString folder = ToSlashPath(prefs.GetString(UString("altfolder") + std::to_string(n), ""));
    if (folder.empty()) break;
    altFolders.push_back(AddTrailingSlash(folder));
  }
  for (int n = 1;; ++n) {
    const UString font = prefs.GetString(UString("font") + std::to_string(n), "");
    if (font.empty()) break;
    fonts.push_back(font);
  }
}

void PodProject::ReadArtwork(const UPreferences& prefs) {
  UString first = prefs.GetString("artwork", "");
  if (!first.empty()) {
    if (!LocateFile(first)) ErrorPrintf("artwork file \"%s\" does not exists\n", first.c_str());
    artwork.push_back(first);
  }
  const auto names = prefs.GetKeyList("artwork");
  if (!names) return;
  for (UString name : *names) {
    if (LocateFile(name)) artwork.push_back(name);
    else ErrorPrintf("artwork file \"%s\" does not exists\n", name.c_str());
  }
}

void PodProject::ReadImageSizes(const UPreferences& prefs) {
  imgWidth = CheckedSize(prefs.GetInt("imgwidth", 300), false, 1024, 300,
                         "input image width is out of range (%d), changing to default (%d)\n");
  imgHeight = CheckedSize(prefs.GetInt("imgheight", 300), false, 2048, 300,
                          "input image height is out of range (%d), changing to default (%d)\n");
  imgScaleWidth = CheckedSize(prefs.GetInt("imgScaleWidth", 0), true, 1024, 0,
                              "input image scale width is out of range (%d), changing to default (%d)\n");
  imgScaleHeight = CheckedSize(prefs.GetInt("imgScaleHeight", 0), true, 2048, 0,
                               "input image scale height is out of range (%d), changing to default (%d)\n");
}

void PodProject::ReadLook(const UPreferences& prefs) {
  defaultImage = prefs.GetString("image", "");
  if (!defaultImage.empty() && !LocateFile(defaultImage))
    ErrorPrintf("default image file \"%s\" does not exists\n", defaultImage.c_str());
  int red = 0, green = 0, blue = 0;
  if (std::sscanf(prefs.GetString("backgroundColor", "").c_str(), "%d %d %d", &red, &green, &blue) == 3)
    backgroundColor = COLORREF(red & 0xFF) | COLORREF(green & 0xFF) << 8 | COLORREF(blue & 0xFF) << 16;
  const long scale = prefs.GetInt("timescale", timeScale);
  if (scale > 0 && scale <= INT32_MAX) timeScale = std::int32_t(scale);
  else ErrorPrintf("time scale is out of range (%ld), changing to default (%d)\n", scale, timeScale);
  silence = prefs.GetString("silence", "");
}

void PodProject::ReadMetadata(UPreferences& prefs) {
  const auto keys = prefs.GetKeyList("metadata");
  if (!keys) return;
  prefs.PushSection("metadata");
  for (const UString& key : *keys) {
    const UString value = prefs.GetString(key, "");
    if (!value.empty()) metadata.push_back(UString(FourCharCodeOf(key) + value));
  }
  prefs.PopSection();
}

void PodProject::ReadBuildSwitches(const UPreferences& prefs) {
  addImages = prefs.GetBool("addimages", true);
  addVideo = prefs.GetBool("addvideo", false);
  audioBook = prefs.GetBool("audiobook", false);
  audioStart = Int32Of(prefs.GetInt("audiostart", 0));
  audioLength = Int32Of(prefs.GetInt("audiolength", 0));
}

// A list of "json" and "vtt", split by commas or blanks; any other word is
// refused rather than building a show without the file it was meant to have.
bool PodProject::ReadChapterFiles(const UPreferences& prefs, const std::string& fullPath) {
  const UString words = prefs.GetString("chapterfiles", "");
  std::size_t at = 0;
  while ((at = words.find_first_not_of(", \t", at)) != std::string::npos) {
    const std::size_t end = std::min(words.find_first_of(", \t", at), words.size());
    const std::string word = words.substr(at, end - at);
    at = end;
    if (icompare(word, "json") == 0) chapterJson = true;
    else if (icompare(word, "vtt") == 0) chapterVtt = true;
    else {
      ErrorPrintf(
          "\"chapterfiles\" entry in [podcast] in file %s has an unknown word \"%s\" (json and vtt are known)\n",
          fullPath.c_str(), word.c_str());
      return false;
    }
  }
  chapterBaseUrl = prefs.GetString("chapterbaseurl", "");
  return true;
}

void PodProject::ReadDefaultTitles(const UPreferences& prefs) {
  StdStringPairs pairs;
  if (prefs.GetKeysAndValue("deftitleformat", pairs) > 0)
    ReadTitleSection(defaultTitles, prefs, pairs, defaultTitleFormat, "deftitleformat");
}

bool PodProject::ReadEditPointSection(const UPreferences& prefs, std::int32_t number, std::int32_t letterIndex) {
  UString section;
  if (letterIndex == 0) section.format("%s%d", kEditPointPrefix, number);
  else section.format("%s%d%c", kEditPointPrefix, number, 0x60 + letterIndex);
  StdStringPairs pairs;
  if (prefs.GetKeysAndValue(section, pairs) == 0) {
    if (letterIndex > 0) return true;
    section = kLastEditPoint;
    if (prefs.GetKeysAndValue(section, pairs) == 0) return false;
  }
  PODEditPoint group(timeScale, ++podCount);
  PrepareSection(group);
  group.Read(pairs, prefs, *this);  // a missing file is reported; the section still counts
  editPoints.AddPOD(group);
  if (section == kLastEditPoint) return false;
  return ReadEditPointSection(prefs, number, letterIndex + 1);
}

void PodProject::PrepareSection(PODEditPoint& group) const {
  group.image->titleFormat = defaultTitleFormat;
  group.image->titles.AddAll(defaultTitles);
  TextSampleSettings& settings = group.link->textSettings;
  settings.SetTextBox(0, 0, 0, 0);
  settings.SetFontNumber(1);
  settings.SetFontSize(18);
  for (const UString& font : fonts) settings.AddFont(font);
}

// Names written on Windows are looked up with '/' for '\\'; a name that is
// not found stays as written, so that messages show what the user typed.
bool PodProject::LocateFile(UString& name) const {
  UString path = ToSlashPath(name);
  const UString current = GetCurrentDirectoryA();
  bool found = false;
  if (LooksLikeFullPath(path)) {
    found = FileExists(path);
  } else if (FileExists(path)) {
    found = MakeFullPath(path, current);
  } else {
    found = LocateInFolders(path);
    if (found && !LooksLikeFullPath(path)) found = MakeFullPath(path, current);  // a relative alternative folder
  }
  if (found) name = path;
  return found;
}

bool PodProject::LocateInFolders(UString& path) const {
  for (const UString& folder : altFolders) {
    UString candidate = path;
    if (!MakeFullPath(candidate, folder)) continue;
    path = candidate;
    return true;
  }
  return false;
}

void PodProject::Dump() const {
  DumpSettings();
  for (const UString& folder : altFolders) std::printf("altFolder           %s\n", folder.c_str());
  for (const UString& font : fonts) std::printf("font                %s\n", font.c_str());
  for (const UString& file : artwork) std::printf("artwork             %s\n", file.c_str());
  for (const UString& entry : metadata)
    std::printf("metadata            %s = %s\n", UString(Latin1ToUtf8(entry.substr(0, 4))).c_str(), entry.c_str() + 4);
  DumpTitleFormat("default title format", defaultTitleFormat);
  for (const TitleItem& title : defaultTitles) std::printf("default title       \"%s\"\n", title.text.c_str());
  std::printf("edit point sections %d\n\n", podCount);
  for (const EditPoint* entry : editPoints.Items()) entry->Dump(PrintOut);
}

void PodProject::DumpSettings() const {
  std::printf("pod file            %s\n", podFile.c_str());
  std::printf("base folder         %s\n", baseFolder.c_str());
  std::printf("basename            %s\n", basename.c_str());
  std::printf("audio file          %s\n", audioFile.c_str());
  std::printf("time scale          %d\n", timeScale);
  std::printf("image size          %d x %d\n", imgWidth, imgHeight);
  std::printf("image scale size    %d x %d\n", imgScaleWidth, imgScaleHeight);
  std::printf("default image       %s\n", defaultImage.c_str());
  std::printf("background color    %u %u %u\n", backgroundColor & 0xFF, backgroundColor >> 8 & 0xFF,
              backgroundColor >> 16 & 0xFF);
  std::printf("silence             %s\n", silence.c_str());
  std::printf("add images          %s\n", YesNo(addImages));
  std::printf("add video           %s\n", YesNo(addVideo));
  std::printf("audio book          %s\n", YesNo(audioBook));
  std::printf("audio start         %d\n", audioStart);
  std::printf("audio length        %d\n", audioLength);
  std::printf("keep final images   %s\n", YesNo(keepFinalImages));
  std::printf("keep intermediate   %s\n", YesNo(keepIntermediateImages));
  std::printf("image format        %d\n", qtImageFormat);
  std::printf("int scale factor    %d\n", intScaleFactor);
  std::printf("int scale method    %d\n", intScaleMethod);
  std::printf("img scale method    %d\n", imgScaleMethod);
  std::printf("chapter files       %s%s\n", chapterJson ? "json " : "", chapterVtt ? "vtt" : "");
  std::printf("chapter base url    %s\n", chapterBaseUrl.c_str());
}

void PodProject::DumpTitleFormat(const char* label, const MediaFormatBase& f) const {
  std::printf("%-19s font \"%s\" size %d color %06X background %08X position %d box %d %d %d %d flags 0x%X\n",
              label, f.face.c_str(), f.fontSize, f.textColor, f.backColor, f.textPosition, f.textBox.left,
              f.textBox.top, f.textBox.right, f.textBox.bottom, f.formatFlags);
}
