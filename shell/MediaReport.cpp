#include "shell/MediaReport.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "assembly/QTMovie.h"
#include "assembly/QuickTimeStart.h"
#include "assembly/SoundDescriptions.h"
#include "platform/helper/FileSystem.h"
#include "platform/helper/ErrorPrintf.h"
#include "platform/helper/PendingFile.h"
#include "shell/JOB.h"

namespace {
constexpr int kExtended = 2;

// What one file's first sound track says of itself; zeros without one.
struct SoundSummary {
  std::string format;
  int rate = 0;
  std::string duration = "00:00:00.00";
  int seconds = 0;
};

SoundSummary Summarise(const QTTrack* sound) {
  SoundSummary s;
  if (!sound) return s;
  s.format = sound->media.SoundFormat();
  s.rate = GetMediaTimeScale(sound->media.media);
  s.duration = FormatMediaDuration(sound->media.media);
  s.seconds = MediaDurationSeconds(sound->media.media);
  return s;
}

// Everything printed from here on goes to the file; the name is always taken
// inside the destination folder. The file appears whole when the output moves
// on or the run ends, replacing an old one only then.
void RedirectOutput(const JOB& job, const UString& outfile) {
  UString folder(job.destPath);
  const UString path(folder.empty() ? std::string(outfile) : AddTrailingSlash(folder) + outfile);
  if (FileExists(path) && !job.allowOverwrite) {
    ErrorPrintf("output file \"%s\" already exists\n", path.c_str());
    ErrorPrintf("  use -do to overwrite an existing output file\n");
    std::exit(3);
  }
  if (int error = 0; !RedirectOutputWhenWhole(path, error)) {
    ErrorPrintf("error %d atempting to open output file \"%s\"\n", error, path.c_str());
    ErrorPrintf("output file \"%s\" was not written: %s\n", path.c_str(), FileErrorText(error).c_str());
    std::exit(3);
  }
}
}  // namespace

bool PrepareReportOutput(const JOB& job, const UString& outfile) {
  if (!outfile.empty() && icompare(outfile, "stdout") != 0) RedirectOutput(job, outfile);
  if (!StartQuickTime()) {
    ErrorPrintf("unable to initialize QuickTime for Windows\n");
    std::exit(1);
  }
  return true;
}

void OutputESDS(std::uint32_t length, const std::uint8_t* data) {
  std::printf("  OutputESDS\n");
  std::printf("    atom length   %d\n", int(length));
  EsdsInfo info;
  ParseEsds(data, length, info);
  std::printf("    version:    %x\n", info.version);
  std::printf("    flags:      %x\n", info.flags);
  std::printf("    esDesc:     %s\n", HexText(info.esDesc.data(), info.esDesc.size()).c_str());
  std::printf("    type:       %x\n", info.objectType);
  std::printf("    streamType: %x\n", info.streamType);
  std::printf("    buff size:  %d\n", int(info.bufferSize));
  std::printf("    maxBits:    %d\n", int(info.maxBitrate));
  std::printf("    avgBits:    %d\n", int(info.avgBitrate));
  std::printf("    decSpec:    %s\n", HexText(info.decoderSpecificInfo.data(), info.decoderSpecificInfo.size()).c_str());
  std::printf("    remainder:  %s\n", HexText(info.trailer.data(), info.trailer.size()).c_str());
}

void DumpSoundDescriptions(const QTTrack& sound) {
  const Handle description = NewHandle(0);
  const long count = GetMediaSampleDescriptionCount(sound.media.media);
  for (long i = 1; i <= count; ++i) {
    GetMediaSampleDescription(sound.media.media, i, description);
    DumpSoundDescription(int(i), description->data(), description->size());
    std::uint32_t length = 0;
    const std::uint8_t* esds = FindAtomInHandle(description->data(), description->size(), Tag("esds"), length);
    OutputESDS(length, esds);
  }
  DisposeHandle(description);
}

void ReportFile(const UString& path, int mode) {
  QTMovie movie;
  if (!movie.OpenExistingMovie(path)) {
    ErrorPrintf("unable to open media file \"%s\"\n", path.c_str());
    return;
  }
  const UString name = FileNamePart(path);
  const std::unique_ptr<QTTrack> sound(movie.GetSoundTrack(0));
  const SoundSummary s = Summarise(sound.get());
  if (mode != kExtended) {
    std::printf("%s\t", name.c_str());
    std::printf("%s\t", FileExtPart(name).c_str());
    std::printf("%s\t", s.format.c_str());
    std::printf("%d\t", s.rate);
    std::printf("%s\t", s.duration.c_str());
    std::printf("%d\t", s.seconds);
    std::printf("\n");
    return;
  }
  std::printf("File name:   %s\n", name.c_str());
  std::printf("Format:      %s\n", s.format.c_str());
  std::printf("Sample Rate: %d\n", s.rate);
  std::printf("Duration:    %s\n", s.duration.c_str());
  if (const std::string repairs = GetMovieRepairs(movie.movie); !repairs.empty())
    std::printf("Repaired:    %s\n", repairs.c_str());
  std::printf("\n");
  if (!sound) return;
  std::printf("Sound Descriptions:\n");
  std::printf("\n");
  DumpSoundDescriptions(*sound);
  std::printf("\n");
}

bool MediaInfo(JOB& job, const UString& outfile, int mode) {
  PrepareReportOutput(job, outfile);
  for (const UString& file : job.Files) ReportFile(file, mode);
  std::fflush(stdout);
  return true;
}
