#include "shell/UCmdlineJob.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "platform/helper/FileSystem.h"

namespace {
// A folder of the program's own under a special folder, made when missing.
UString OwnFolder(int csidl, const std::string& sub) {
  UString folder = GetSpecialFolder(csidl, sub);
  if (!DirExists(folder)) CreatePath(folder, false);
  return folder;
}

bool IsSwitchPrefix(char c) { return c == '-' || c == '/'; }
}  // namespace

UCmdlineJob::UCmdlineJob(const CmdlineSwitch* table, PrintFunction print)
    : table(table), printFunction(print ? print : std::printf) {}

bool UCmdlineJob::HandleCommand(CmdlineCmd&) { return false; }

bool UCmdlineJob::Execute() { return true; }

void UCmdlineJob::BeforeEndRun(int) {}

void UCmdlineJob::EndRun(int status) {
  BeforeEndRun(status);
  std::exit(status);
}

bool UCmdlineJob::ParseCommandLine(StdStringList& args, PrintFunction print) {
  InitFolders();
  return ParseWords(args, print);
}

bool UCmdlineJob::ParseWords(StdStringList& args, PrintFunction print) {
  while (!args.empty()) {
    if (!IsSwitchWord(args.front())) {
      Names.push_back(args.front());
      args.pop_front();
      continue;
    }
    const std::string name = args.front().substr(1);
    const CmdlineSwitch* row = FindSwitch(name);
    if (!row) {
      if (print) print("Error: unrecognized command \"%s\"", name.c_str());
      return false;
    }
    args.pop_front();
    if (!AddCommand(*row, args)) return false;
  }
  std::stable_sort(Cmds.begin(), Cmds.end(),
                   [](const CmdlineCmd& a, const CmdlineCmd& b) { return a.sw.order < b.sw.order; });
  return true;
}

bool UCmdlineJob::AddCommand(const CmdlineSwitch& row, StdStringList& args) {
  CmdlineCmd cmd{row.id, row, {}};
  if (!TakeParameters(cmd, args)) return false;
  if (row.order >= 0) {
    Cmds.push_back(std::move(cmd));
    return true;
  }
  return HandleCommand(cmd);
}

bool UCmdlineJob::TakeParameters(CmdlineCmd& cmd, StdStringList& args) const {
  const std::int32_t count = cmd.sw.paramCount;
  if ((count > 0 && args.size() < std::size_t(count)) || (count == CmdlineSwitch::kUpToNextSwitch && args.empty())) {
    printFunction("Too few parameters for command \"%s\"", cmd.sw.name);
    return false;
  }
  if (count == 0) return true;
  const bool optional = count == CmdlineSwitch::kOptionalOne;
  if (optional && (args.empty() || IsSwitchWord(args.front()))) return true;
  const std::size_t wanted = optional ? 1 : std::size_t(std::max(count, 0));
  while (!args.empty()) {
    if (IsSwitchWord(args.front())) {
      if (wanted == 0) return true;  // a list of words ends at the next switch
      printFunction("expected parameter, found '%c' for command \"%s\"", args.front()[0], cmd.sw.name);
      return false;
    }
    cmd.params.push_back(args.front());
    args.pop_front();
    if (cmd.params.size() == wanted) return true;
  }
  return true;
}

bool UCmdlineJob::IsSwitchWord(const UString& word) const {
  if (word.empty() || !IsSwitchPrefix(word[0])) return false;
  return word[0] == '-' || FindSwitch(word.substr(1)) != nullptr;
}

const CmdlineSwitch* UCmdlineJob::FindSwitch(const std::string& name) const {
  for (const CmdlineSwitch* row = table; row && row->name; ++row)
    if (icompare(name, row->name) == 0) return row;
  return nullptr;
}

void UCmdlineJob::InitFolders() {
  const std::string company = GetCompanyName(), app = GetAppName();
  appFolder = PathNamePart(GetProgramFolder());
  appDataFolder = OwnFolder(CSIDL_APPDATA, company + "/" + app);
  userDataFolder = OwnFolder(CSIDL_PERSONAL, "/" + company + "/" + app);
  templateFolder = OwnFolder(CSIDL_COMMON_TEMPLATES, app);
  appPrefsPath.format("%s/%s.ini", appDataFolder.c_str(), app.c_str());
  appPrefs.Open(appPrefsPath, nullptr);
  FindUserName();
  appPrefs.SetSection("users");
  appPrefs.WriteString("last_user", userName);
  userPrefsPath.format("%s/%s.ini", GetCurrentDirectoryA().c_str(), app.c_str());
  if (!FileExists(userPrefsPath)) userPrefsPath.format("%s/%s.ini", userDataFolder.c_str(), app.c_str());
  userPrefs.Open(userPrefsPath, nullptr);
}

void UCmdlineJob::FindUserName() {
  userName = GetUserNameA();
  if (!userName.empty()) return;
  appPrefs.SetSection("users");
  userName = appPrefs.GetString("last_user", "");
  if (!userName.empty()) return;
  userName = "default_user";
  badUserName = true;
}

void UCmdlineJob::Dump(PrintFunction print) const {
  print("\n");
  print("\n");
  print("UCmdlineJob\n");
  print("\n");
  print("  appFolder      %s\n", appFolder.c_str());
  print("  appDataFolder  %s\n", appDataFolder.c_str());
  print("  userDataFolder %s\n", userDataFolder.c_str());
  print("  templateFolder %s\n", templateFolder.c_str());
  print("  userName       %s\n", userName.c_str());
  print("  badUserName    %s\n", badUserName ? "true" : "false");
  print("  appPrefsPath   %s\n", appPrefsPath.c_str());
  print("  userPrefsPath  %s\n", userPrefsPath.c_str());
  print("\n");
  print("  Cmds\n");
  print("\n");
  for (const CmdlineCmd& cmd : Cmds) {
    print("    command:  %s  params: ", cmd.sw.name);
    for (const UString& param : cmd.params) print("      %s ", param.c_str());
    print("\n");
  }
  print("\n");
  print("  Names\n");
  print("\n");
  for (const UString& name : Names) print("    %s\n", name.c_str());
}
