#include "shell/ChapterReport.h"

#include <cstdio>

#include "formats/ChapterCheck.h"
#include "formats/ChapterSources.h"
#include "platform/helper/ErrorPrintf.h"
#include "platform/helper/FileSystem.h"
#include "platform/helper/UFile.h"
#include "shell/JOB.h"
#include "shell/MediaReport.h"

namespace {
std::string Span(std::uint64_t start, std::uint64_t end) {
  return ChapterCheck::Seconds(start) + "\t" + ChapterCheck::Seconds(end);
}

std::string FourCharacters(OSType code) {
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8) {
    const char c = char(code >> shift & 0xFF);
    text += c >= 0x20 && c <= 0x7E ? c : '?';
  }
  return text;
}

void PrintChapters(const std::string& heading, const std::vector<CheckedChapter>& chapters) {
  std::printf("  %s: %zu chapters\n", heading.c_str(), chapters.size());
  for (const CheckedChapter& c : chapters)
    std::printf("    %s\t%s\n", Span(c.start, c.end).c_str(), ChapterCheck::Printable(c.title).c_str());
}

void PrintSlides(const MovieTrack& track) {
  std::printf("  slide track %u: %zu pictures\n", track.id, track.samples.size());
  for (std::size_t i = 0; i < track.samples.size(); ++i) {
    const TrackSample& s = track.samples[i];
    std::printf("    %s\tpicture %zu\t'%s' %u bytes\n",
                Span(Milliseconds(s.start, track.timeScale), Milliseconds(s.end, track.timeScale)).c_str(), i + 1,
                FourCharacters(s.format).c_str(), s.size);
  }
}

void PrintLinks(const MovieTrack& track) {
  std::printf("  link track %u: %zu links\n", track.id, track.samples.size());
  for (const TrackSample& s : track.samples)
    std::printf("    %s\t%s\t%s\n",
                Span(Milliseconds(s.start, track.timeScale), Milliseconds(s.end, track.timeScale)).c_str(),
                ChapterCheck::Printable(s.text).c_str(), ChapterCheck::Printable(s.link.value_or("")).c_str());
}

void PrintReport(const std::string& name, const ChapterSources& sources) {
  const ChapterCheck check(sources);
  std::printf("%s\n", name.c_str());
  std::printf("  movie: %s\n", ChapterCheck::Seconds(Milliseconds(sources.duration, sources.timeScale)).c_str());
  for (const MovieTrack* track : sources.ChapterTracks())
    PrintChapters("chapter track " + std::to_string(track->id), check.TrackChapters(*track));
  if (sources.chpl) PrintChapters("'chpl' list", check.ChplChapters());
  for (const MovieTrack* track : sources.SlideTracks()) PrintSlides(*track);
  for (const MovieTrack* track : sources.LinkTracks()) PrintLinks(*track);
  const std::vector<std::string> warnings = check.Warnings();
  for (const std::string& warning : warnings) std::printf("  warning: %s\n", warning.c_str());
  if (warnings.empty()) std::printf("  no warnings\n");
  std::printf("\n");
}
}  // namespace

bool ReportChapters(const UString& path) {
  UFile file;
  if (!file.Open(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, 0)) {
    ErrorPrintf("unable to open media file \"%s\"\n", path.c_str());
    return false;
  }
  const std::int64_t size = file.GetFileSize();
  ChapterSources sources;
  const auto read = [&file](std::uint64_t offset, std::span<std::uint8_t> into) {
    return file.ReadAt(offset, into.data(), into.size()) == std::int64_t(into.size());
  };
  if (size < 0 || !sources.Read(std::uint64_t(size), read)) {
    ErrorPrintf("unable to check the chapters of \"%s\": %s\n", path.c_str(),
                size < 0 ? "the file could not be read" : sources.Failure().c_str());
    return false;
  }
  PrintReport(FileNamePart(path), sources);
  return true;
}

bool ChapterReport(JOB& job, const UString& outfile) {
  PrepareReportOutput(job, outfile);
  for (const UString& file : job.Files) ReportChapters(file);
  std::fflush(stdout);
  return true;
}
