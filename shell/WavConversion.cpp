#include "shell/WavConversion.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "platform/helper/ErrorPrintf.h"
#include "platform/helper/FileSystem.h"
#include "platform/helper/Process.h"
#include "platform/helper/UFile.h"
#include "shell/ImageCommands.h"
#include "shell/JOB.h"

namespace {
const char* const kEncoder = "neroAacEnc.exe";

void CheckInputs(const StdStringList& params) {
  if (params.empty()) {
    ErrorPrintf("the command cw4 needs at least one WAVE file\n");
    std::exit(2);
  }
  for (const UString& name : params) {
    if (!FileExists(name)) {
      ErrorPrintf("the audio file \"%s\" does not exist\n", name.c_str());
      std::exit(2);
    }
    if (!IsWaveFile(name)) {
      ErrorPrintf("the file \"%s\" is not a WAVE file\n", name.c_str());
      std::exit(2);
    }
  }
}

void ClearOutput(const JOB& job) {
  if (!FileExists(job.audioFilePath)) return;
  if (!job.allowOverwrite) {
    ErrorPrintf("the audio file \"%s\" already exists\n", job.audioFilePath.c_str());
    ErrorPrintf("  use -do to allow file to be overwritten\n");
    std::exit(2);
  }
  DeleteFileA(job.audioFilePath);
}

std::string EncoderArguments(const StdStringList& inputs, const std::string& output) {
  std::string text;
  for (const UString& name : inputs) text += "-if \"" + name + "\" ";
  return text + "-of \"" + output + "\"";
}

const char* SpawnErrorText(int r) {
  switch (r) {
    case 7: return "Argument list exceeds 1024 bytes.";
    case 8: return "Specified file is not executable or has invalid executable-file format.";
    case 12: return "Not enough memory is available to execute the new process.";
    case 22: return "mode argument is invalid.";
    default: return nullptr;
  }
}

[[noreturn]] void EncoderNotStarted(int r) {
  if (r == 2) {
    std::printf("  unable to locate %s to convert audio file\n", kEncoder);
    std::printf("\n");
    std::printf("    to convert WAV files to MP4 audio files you must install the Nero\n");
    std::printf("    command line utility \"%s\"\n", kEncoder);
  } else {
    char unknown[32];
    const char* text = SpawnErrorText(r);
    if (!text) {
      std::snprintf(unknown, sizeof unknown, "Unknown error %d", r);
      text = unknown;
    }
    std::printf("error \"%s\" attempting to execute %s\n", text, kEncoder);
  }
  std::exit(3);
}

// The encoder ran but did not finish its file: whatever it left is not a
// whole output, and the builds that follow must not take it.
[[noreturn]] void EncoderFailed(const JOB& job, int status) {
  DeleteFileA(job.audioFilePath);
  std::printf("error \"the encoder ended with status %d\" attempting to execute %s\n", status, kEncoder);
  std::exit(3);
}
}  // namespace

bool IsWaveFile(const std::string& path) {
  UFile file;
  if (!file.Open(path, GENERIC_READ | GENERIC_WRITE, 0, FILE_ATTRIBUTE_NORMAL)) return false;
  char head[12];
  if (file.Read(head, sizeof head) != sizeof head) return false;
  // RF64 is the same format past 4 GiB.
  const bool riff = strncasecmp(head, "RIFF", 4) == 0 || strncasecmp(head, "RF64", 4) == 0;
  return riff && strncasecmp(head + 8, "WAVE", 4) == 0;
}

bool ConvertWavToAac(JOB& job, const StdStringList& params) {
  CheckInputs(params);
  if (job.audioFilePath.empty()) job.audioFilePath = MakeDestFileName(job.destPath, params.front(), "mp4");
  ClearOutput(job);
  int status = 0;
  const int r = Spawn(kEncoder, EncoderArguments(params, job.audioFilePath), false, &status);
  if (r != 0) EncoderNotStarted(r);
  if (status != 0) EncoderFailed(job, status);
  return true;
}
