#include "shell/JOB.h"

#include <cstdio>
#include <cstdlib>

#include "assembly/BuildCommands.h"
#include "formats/FtypHeader.h"
#include "platform/helper/FileSystem.h"
#include "platform/helper/Modules.h"
#include "project/PodGenerators.h"
#include "platform/helper/ErrorPrintf.h"
#include "shell/ChapterReport.h"
#include "shell/ImageCommands.h"
#include "shell/MediaReport.h"
#include "shell/TestCommands.h"
#include "shell/WavConversion.h"

namespace {
enum CommandId : std::int32_t {
  kHelp = 0,
  kInstall = 1,
  kAudioFile = 2,
  kTest = 3,  // t0 ... t9 follow: 3 ... 12
  kLastTest = 12,
  kConvert = 13,
  kDummy = 14,
  kDump = 15,
  kDestPath = 16,
  kDestFromConfig = 17,
  kOverwrite = 19,
  kMediaInfo = 20,
  kMediaInfo2 = 21,
  kImageSize = 22,
  kNoScale = 23,
  kImageSizeFromConfig = 24,
  kImageCopy = 25,
  kImageResizeCopy = 26,
  kBuildM4v = 27,
  kBuildM4b = 28,
  kBuildM4a = 29,
  kBuildMov = 30,
  kPodFromAudio = 31,
  kPodFromImages = 32,
  kWriteM4a = 33,
  kWriteMov = 34,
  kChapterCheck = 35,
  kPodFromChapters = 36,
};

constexpr std::int32_t kImmediate = -1;
constexpr std::int32_t kAnyWords = CmdlineSwitch::kAnyUpToNextSwitch;

const CmdlineSwitch kCommandTable[] = {
    {"h", "", kHelp, 0, kImmediate, nullptr},
    {"help", "", kHelp, 0, kImmediate, "help"},
    {"install", "", kInstall, 0, 99000, nullptr},
    {"af", "", kAudioFile, 1, kImmediate, "audio file path"},
    {"test", "", kTest, kAnyWords, 1000, "test (-t0...t9), sucks up all non commands that follow it"},
    {"t0", "", kTest, kAnyWords, 1000, nullptr},
    {"t1", "", kTest + 1, kAnyWords, 1000, nullptr},
    {"t2", "", kTest + 2, kAnyWords, 1000, nullptr},
    {"t3", "", kTest + 3, kAnyWords, 1000, nullptr},
    {"t4", "", kTest + 4, kAnyWords, 1000, nullptr},
    {"t5", "", kTest + 5, kAnyWords, 1000, nullptr},
    {"t6", "", kTest + 6, kAnyWords, 1000, nullptr},
    {"t7", "", kTest + 7, kAnyWords, 1000, nullptr},
    {"t8", "", kTest + 8, kAnyWords, 1000, nullptr},
    {"t9", "", kTest + 9, kAnyWords, 1000, nullptr},
    {"cw4", "<files>", kConvert, CmdlineSwitch::kUpToNextSwitch, 100,
     "converts wave file to mp4 audio file using neroAacEnc.exe"},
    {"d", "", kDummy, 0, kImmediate, "dummy command, used to terminate multi parameter switches"},
    {"dummy", "", kDummy, 0, kImmediate, nullptr},
    {"dump", "", kDump, 0, kImmediate, "dump parameters to console"},
    {"dp", "<path>", kDestPath, 1, kImmediate, "destination path"},
    {"di", "<key>", kDestFromConfig, 1, kImmediate, "destination path from config file entry"},
    {"do", "", kOverwrite, 0, kImmediate, "allow destination file to be overwritten"},
    {"fi", "<outfile>", kMediaInfo, CmdlineSwitch::kOptionalOne, 1000, "gets and output media information for each file"},
    {"fi2", "<outfile>", kMediaInfo2, CmdlineSwitch::kOptionalOne, 1000,
     "gets and output extended media information for each file"},
    {"fc", "<outfile>", kChapterCheck, CmdlineSwitch::kOptionalOne, 1000,
     "checks the chapters of each file and warns of what players trip on"},
    {"iz", "<w> <h>", kImageSize, 2, kImmediate, "set width and height of image files"},
    {"inz", "", kNoScale, 0, kImmediate, "do not scale image files"},
    {"izi", "", kImageSizeFromConfig, 1, kImmediate, "set width and height of image file from config"},
    {"ic", "", kImageCopy, 0, 1, "just copy the image"},
    {"irc", "", kImageResizeCopy, 0, 1, "resize and copy the image"},
    {"qv", "<file.pod>", kBuildM4v, 1, 1000, "create enhanced podcast with .m4v file extention"},
    {"qb", "<file.pod>", kBuildM4b, 1, 1000, "create enhanced podcast with .m4b file extention"},
    {"q4", "<file.pod>", kBuildM4a, 1, 1000, "create enhanced podcast with .mov file extention"},
    {"qm", "<file.pod>", kBuildMov, 1, 1000, "create a quicktime movie"},
    {"pn", "<basename> ...", kPodFromAudio, 1, 1000, "generate pod file from multiple audio files"},
    {"pi", "<time><basename> ...", kPodFromImages, 2, 1000, "generate pod file from multiple image files"},
    {"pc", "<basename> <file>", kPodFromChapters, 1, 1000,
     "generate pod file that rebuilds a chaptered .m4a/.m4b/.mp4 file"},
    {"w4a", "<filename>", kWriteM4a, 1, kImmediate, "write M4A 'ftyp' header to the file"},
    {"wmov", "<filename>", kWriteMov, 1, kImmediate, "write MOV 'ftyp' header to the file"},
    {nullptr, nullptr, 0, 0, 0, nullptr},
};

const char* BuildExtension(std::int32_t id) {
  switch (id) {
    case kBuildM4v: return "m4v";
    case kBuildM4b: return "m4b";
    case kBuildM4a: return "m4a";
    default: return "mov";
  }
}

UString Param(const CmdlineCmd& cmd, std::size_t i) { return i < cmd.params.size() ? cmd.params[i] : UString(); }

std::int32_t Whole(const char* text) { return static_cast<std::int32_t>(std::atol(text)); }
}  // namespace

UString MakeAbsolutePath(const std::string& path) {
  if (LooksLikeFullPath(path)) return UString(path);
  UString folder = GetCurrentDirectoryA();
  return AddTrailingSlash(folder) + path;
}

bool ParseNumberList(const char* text, int n, long* out) {
  if (!out) return false;
  StdStringList words;
  words.SplitAndAppend(text, nullptr, nullptr, 3);
  if (words.size() != std::size_t(n)) return false;
  for (std::size_t i = 0; i < words.size(); ++i) out[i] = std::atol(words[i]);
  return true;
}

namespace {
const JOB* currentJob = nullptr;
}  // namespace

JOB::JOB() : UCmdlineJob(kCommandTable, std::printf), destPath(GetCurrentDirectoryA()) { currentJob = this; }

JOB::~JOB() {
  if (currentJob == this) currentJob = nullptr;
}

const JOB* JOB::Current() { return currentJob; }

std::string JOB::GetCompanyName() const { return "Omberlin"; }

std::string JOB::GetAppName() const { return "tolva"; }

bool JOB::ParseCommandLine(StdStringList& args, PrintFunction print) {
  RegisterHelperLibrary();
  if (!UCmdlineJob::ParseCommandLine(args, print)) return false;
  AddPathToEnvironment(GetProgramFolder());
  return true;
}

// The helper library is optional: when it is there, it registers itself at every start.
void JOB::RegisterHelperLibrary() const {
  using RegisterServer = long (*)();
  void* proc = nullptr;
  if (GetExportedProc(GetResHandle(kCommandTable), "KestHelper.dll", "DllRegisterServer", &proc))
    reinterpret_cast<RegisterServer>(proc)();
}

bool JOB::HandleCommand(CmdlineCmd& cmd) {
  const UString p0 = Param(cmd, 0);
  switch (cmd.id) {
    case kHelp:
      PrintHelp();
      EndRun(3);
    case kAudioFile: audioFilePath = p0; return true;
    case kDummy: return true;
    case kDump: dumpRequested = true; return true;
    case kDestPath: destPath = p0; return true;
    case kDestFromConfig: DestinationFromConfig(p0); return true;
    case kOverwrite: allowOverwrite = true; return true;
    case kImageSize:
      rImgResize = RECT{0, 0, Whole(p0), Whole(Param(cmd, 1))};
      if (IsRectEmpty(rImgResize)) rImgResize = RECT{};
      return true;
    case kNoScale: rImgResize = RECT{}; return true;
    case kImageSizeFromConfig: ImageSizeFromConfig(p0); return true;
    case kWriteM4a:
    case kWriteMov: WriteHeader(cmd.id, p0); return true;
    default:
      printFunction("no handler for command \"%s\"\n", cmd.sw.name);
      EndRun(2);
  }
}

void JOB::DestinationFromConfig(const UString& key) {
  userPrefs.SetSection("paths");
  destPath = userPrefs.GetString(key, "*");
  if (destPath != "*") return;
  printFunction("could not locate key named \"%s\" in seciont [%s]\n", key.c_str(), "paths");
  EndRun(2);
}

void JOB::ImageSizeFromConfig(const UString& key) {
  userPrefs.SetSection("image");
  long size[2] = {0, 0};
  if (!ParseNumberList(userPrefs.GetString(key, "0 0"), 2, size)) {
    printFunction("-izi requires the config string return 2 (and only 2) values\n");
    printFunction("     the first value is the image scaling width, the second the image scaling height\n");
    EndRun(2);
  }
  rImgResize = RECT{0, 0, static_cast<std::int32_t>(size[0]), static_cast<std::int32_t>(size[1])};
}

void JOB::WriteHeader(int id, const UString& name) {
  const bool written = id == kWriteM4a ? WriteM4AHeader(name) : WriteMovHeader(name);
  if (written) return;
  printFunction("error writing header to file \"%s\"\n", name.c_str());
  EndRun(5);
}

bool JOB::Execute() {
  printFunction("  Destination directory: %s\n", destPath.c_str());
  printFunction("\n");
  ExpandInputFiles();
  if (dumpRequested) Dump();
  MakeDestinationFolder();
  if (Cmds.empty()) RunLoneProject();
  bool imagesDone = false;
  for (const CmdlineCmd& cmd : Cmds) RunCommand(cmd, imagesDone);
  return true;
}

void JOB::ExpandInputFiles() {
  int expanded = 0;
  for (const UString& word : Names) {
    const UString path = MakeAbsolutePath(word);
    if (IsWild(path)) {
      const int n = ExpandWild(path, Files);
      if (n < 0) EndRun(2);
      expanded += n;
    } else if (FileExists(path)) {
      Files.push_back(path);
    } else {
      printFunction("file does not exists \"%s\"\n", path.c_str());
      EndRun(2);
    }
  }
  if (expanded > 0) SortAsFileNames(Files);
}

void JOB::MakeDestinationFolder() {
  if (destPath.empty()) return;
  if (!DirExists(destPath)) CreatePath(destPath, false);
  if (DirExists(destPath)) return;
  printFunction("unable to create destination path!\n");
  EndRun(3);
}

// A project file given alone is built in its own folder.
void JOB::RunLoneProject() {
  if (Files.size() == 1 && ifind_last_of(FileNamePart(Files[0]), ".pod") != std::string::npos &&
      FileExists(Files[0])) {
    const UString folder = PathNamePart(Files[0]);
    SetCurrentDirectoryA(folder);
    destPath = folder;
    BuildPodFile(FileNamePart(Files[0]), audioFilePath, destPath, "", dumpRequested);
    EndRun(0);
  }
  ErrorPrintf("no commands to execute!\n");
  EndRun(2);
}

void JOB::RunCommand(const CmdlineCmd& cmd, bool& imagesDone) {
  const UString p0 = Param(cmd, 0);
  switch (cmd.id) {
    case kInstall: EndRun(0);
    case kImageCopy:
    case kImageResizeCopy:
      if (imagesDone) {
        printFunction("you can only resized and/or copy the images once\n");
        return;
      }
      imagesDone = true;
      if (cmd.id == kImageCopy) CopyImages(*this);
      else ResizeCopyImages(*this);
      return;
    case kConvert: ConvertWavToAac(*this, cmd.params); return;
    case kMediaInfo: MediaInfo(*this, p0, 1); return;
    case kMediaInfo2: MediaInfo(*this, p0, 2); return;
    case kChapterCheck: ChapterReport(*this, p0); return;
    case kBuildM4v:
    case kBuildM4b:
    case kBuildM4a:
    case kBuildMov:
      BuildPodFile(MakeAbsolutePath(p0), audioFilePath, destPath, BuildExtension(cmd.id), dumpRequested);
      return;
    case kPodFromAudio: PodFromAudioList(Files, allowOverwrite, p0); return;
    case kPodFromImages: PodFromImageList(Files, allowOverwrite, std::atol(p0), Param(cmd, 1)); return;
    case kPodFromChapters: PodFromChapterFile(Files, allowOverwrite, p0); return;
    default:
      if (cmd.id >= kTest && cmd.id <= kLastTest) RunTest(cmd.id - kTest, cmd.params, Files);
  }
}

void JOB::PrintHelp() const {
  printFunction("  Tolva [options] <filename1.ext> <filename2.ext> ...\n");
  printFunction("\n");
  for (const CmdlineSwitch* row = table; row->name; ++row) {
    if (!row->help) continue;
    printFunction(" -%-6s%-10s", row->name, row->paramHelp);
    printFunction(" %s\n", row->help);
  }
}

void JOB::Dump() const {
  UCmdlineJob::Dump(printFunction);
  printFunction("\n");
  printFunction("\n");
  printFunction("JOB\n");
  printFunction("\n");
  printFunction("  rImgResize          %d %d %d %d\n", rImgResize.left, rImgResize.top, rImgResize.right,
                rImgResize.bottom);
  printFunction("  destPath            %s\n", destPath.c_str());
  printFunction("\n");
  printFunction("  Files\n");
  printFunction("\n");
  for (const UString& file : Files) printFunction("    %s\n", file.c_str());
}
