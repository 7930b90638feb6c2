#pragma once
#include <string>

#include "platform/helper/StdStringList.h"
#include "platform/helper/UString.h"
#include "platform/helper/Win32Defs.h"
#include "shell/UCmdlineJob.h"

// The program's one job: its command table, the options its immediate
// switches set, the input files, and the dispatch of the queued commands.
class JOB : public UCmdlineJob {
 public:
  JOB();
  ~JOB() override;

  // The job of this run, for the commands that are not handed it; null outside a run.
  static const JOB* Current();

  bool HandleCommand(CmdlineCmd& cmd) override;
  std::string GetCompanyName() const override;
  std::string GetAppName() const override;
  bool ParseCommandLine(StdStringList& args, PrintFunction print) override;
  bool Execute() override;

  void PrintHelp() const;
  void Dump() const;

  bool dumpRequested = false;
  RECT rImgResize{0, 0, 1080, 720};  // right = width, bottom = height; all 0: no scaling
  UString destPath;
  bool allowOverwrite = false;
  UString audioFilePath;
  StdStringList Files;  // the input files, absolute

 private:
  void RegisterHelperLibrary() const;
  void DestinationFromConfig(const UString& key);
  void ImageSizeFromConfig(const UString& key);
  void WriteHeader(int id, const UString& name);
  void ExpandInputFiles();
  void MakeDestinationFolder();
  void RunLoneProject();
  void RunCommand(const CmdlineCmd& cmd, bool& imagesDone);
};

// A path made full on the current directory; a full path as it stands.
UString MakeAbsolutePath(const std::string& path);
// Splits `text` into words; true when there are exactly `n`, each read into `out` as a whole number.
bool ParseNumberList(const char* text, int n, long* out);
