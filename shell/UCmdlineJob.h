#pragma once
#include <deque>
#include <string>

#include "platform/helper/StdStringList.h"
#include "platform/helper/UPrivProfilePrefs.h"
#include "platform/helper/UString.h"
#include "shell/CmdlineCmd.h"
#include "shell/CmdlineSwitch.h"

using PrintFunction = int (*)(const char* fmt, ...);

// A command-line program's job: turns the words of a command line into
// queued commands and free words by a static table of switches, runs the
// immediate switches while it parses, and leaves the rest to Execute.
// It also sets up the program's folders and its two preferences files.
class UCmdlineJob {
 public:
  UCmdlineJob(const CmdlineSwitch* table, PrintFunction print);
  virtual ~UCmdlineJob() = default;
  UCmdlineJob(const UCmdlineJob&) = delete;
  UCmdlineJob& operator=(const UCmdlineJob&) = delete;

  // Runs an immediate switch; false ends the parse.
  virtual bool HandleCommand(CmdlineCmd& cmd);
  // Takes the switch's parameters from the front of `args`, then queues or runs it.
  virtual bool AddCommand(const CmdlineSwitch& row, StdStringList& args);
  virtual std::string GetCompanyName() const = 0;
  virtual std::string GetAppName() const = 0;
  // Sets up the folders and preferences, then consumes `args` (ParseWords).
  virtual bool ParseCommandLine(StdStringList& args, PrintFunction print);
  virtual bool Execute();
  // Ends the whole run with `status`. Everything that ends a run goes through
  // here, after BeforeEndRun, which a host that must outlive the run (a fuzzer,
  // a test) overrides to throw instead.
  [[noreturn]] void EndRun(int status);
  virtual void BeforeEndRun(int status);

  // The parse alone: switches matched, immediate ones run, the queue sorted.
  bool ParseWords(StdStringList& args, PrintFunction print);
  void Dump(PrintFunction print) const;

  const CmdlineSwitch* table;
  PrintFunction printFunction;
  std::deque<CmdlineCmd> Cmds;
  StdStringList Names;
  UString appFolder, appDataFolder, userDataFolder, templateFolder, userName;
  bool badUserName = false;
  UString appPrefsPath, userPrefsPath;
  UPrivProfilePrefs appPrefs, userPrefs;

 protected:
  void InitFolders();
  // A word that begins with '-', or with '/' followed by the name of a switch.
  // Any other word beginning with '/' is an absolute path, not a switch.
  bool IsSwitchWord(const UString& word) const;

 private:
  const CmdlineSwitch* FindSwitch(const std::string& name) const;
  bool TakeParameters(CmdlineCmd& cmd, StdStringList& args) const;
  void FindUserName();
};
