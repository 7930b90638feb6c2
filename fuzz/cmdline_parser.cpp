// The command-line parse: any words, one to a line, must parse or be refused
// without a fault. Runs that would end are caught; what parses must dump.
#include <cstddef>
#include <cstdint>
#include <string>

#include "shell/JOB.h"

namespace {
struct RunEnded {};

int Discard(const char*, ...) { return 0; }

class FuzzJob : public JOB {
 public:
  FuzzJob() {
    printFunction = Discard;
    userPrefs.Parse("[paths]\nout=/tmp/podcasts\n[image]\nhd=1280 720\nodd=1 2 3\n");
  }
  void BeforeEndRun(int) override { throw RunEnded{}; }
  // The header rewrites would change whatever files the input happens to name.
  bool HandleCommand(CmdlineCmd& cmd) override {
    if (icompare(cmd.sw.name, "w4a") == 0 || icompare(cmd.sw.name, "wmov") == 0) return true;
    return JOB::HandleCommand(cmd);
  }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  StdStringList words;
  words.SplitAndAppend(text.c_str(), "\n", nullptr, 0);
  FuzzJob job;
  try {
    if (job.ParseWords(words, Discard)) job.Dump();
  } catch (const RunEnded&) {
  }
  return 0;
}
