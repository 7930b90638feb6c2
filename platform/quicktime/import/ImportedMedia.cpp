#include "platform/quicktime/import/ImportedMedia.h"

#include <algorithm>
#include <array>

#include "platform/quicktime/import/Bytes.h"
#include "platform/quicktime/import/FileByteSource.h"
#include "platform/quicktime/import/MediaParsers.h"

using namespace mediaimport;

namespace {

constexpr std::array kParsers{
    MediaParser{{"WAVE", Tag("WAVE"), false}, RecognisesWav, ParseWav},
    MediaParser{{"AIFF", Tag("AIFF"), false}, RecognisesAiff, ParseAiff},
    MediaParser{{"MP3", Tag("MP3 "), false}, RecognisesMp3, ParseMp3},
    MediaParser{{"ADTS AAC", Tag("adts"), false}, RecognisesAdts, ParseAdts},
    MediaParser{{"JPEG", Tag("jpeg"), true}, RecognisesJpeg, ParseJpeg},
    MediaParser{{"PNG", Tag("png "), true}, RecognisesPng, ParsePng},
};

constexpr std::array kImporterInfos = [] {
  std::array<MediaImporterInfo, kParsers.size()> infos{};
  for (std::size_t i = 0; i < kParsers.size(); ++i) infos[i] = kParsers[i].info;
  return infos;
}();

// Parses into a fresh media so that a failure leaves nothing half filled.
template <class Parse>
ImportErr ImportFile(const std::string& path, ImportedMedia& media, Parse&& parse) {
  media = ImportedMedia{};
  FileByteSource file;
  ImportErr err = file.Open(path);
  if (err != ImportErr::None) return err;
  ImportedMedia found;
  err = parse(file, found);
  if (err != ImportErr::None) {
    media.refusal = std::move(found.refusal);
    return err;
  }
  found.path = path;
  media = std::move(found);
  return ImportErr::None;
}

ImportErr ImportWith(ImportErr (*parse)(ByteSource&, ImportedMedia&), const std::string& path, ImportedMedia& media) {
  return ImportFile(path, media, parse);
}

}  // namespace

std::uint32_t ImportedMedia::Format() const {
  return sampleDescription.size() < 8 ? 0 : std::uint32_t(BigAt(sampleDescription, 4, 4));
}

std::uint64_t ImportedMedia::SampleCount() const {
  std::uint64_t count = 0;
  for (const ImportedTimeRun& run : timeToSample) count += run.count;
  return count;
}

std::uint64_t ImportedMedia::Duration() const {
  std::uint64_t duration = 0;
  for (const ImportedTimeRun& run : timeToSample) duration += std::uint64_t(run.count) * run.delta;
  return duration;
}

std::uint64_t ImportedMedia::SampleSize(std::uint64_t index) const {
  if (constantSampleSize != 0) return constantSampleSize;
  return index < sampleSizes.size() ? sampleSizes[index] : 0;
}

namespace mediaimport {

std::span<const MediaParser> MediaParsers() { return kParsers; }

ImportErr ParseAnyMedia(ByteSource& source, ImportedMedia& media, bool graphicsOnly) {
  for (const MediaParser& parser : kParsers) {
    if (graphicsOnly && !parser.info.graphics) continue;
    if (!parser.recognises(source)) continue;
    ImportedMedia found;
    const ImportErr err = parser.parse(source, found);
    if (err == ImportErr::None)
      media = std::move(found);
    else
      media.refusal = std::move(found.refusal);
    return err;
  }
  return ImportErr::NotMovieFile;
}

}  // namespace mediaimport

ImportErr ImportWav(const std::string& path, ImportedMedia& media) { return ImportWith(ParseWav, path, media); }
ImportErr ImportAiff(const std::string& path, ImportedMedia& media) { return ImportWith(ParseAiff, path, media); }
ImportErr ImportMp3(const std::string& path, ImportedMedia& media) { return ImportWith(ParseMp3, path, media); }
ImportErr ImportAdts(const std::string& path, ImportedMedia& media) { return ImportWith(ParseAdts, path, media); }
ImportErr ImportJpeg(const std::string& path, ImportedMedia& media) { return ImportWith(ParseJpeg, path, media); }
ImportErr ImportPng(const std::string& path, ImportedMedia& media) { return ImportWith(ParsePng, path, media); }

ImportErr ImportImage(const std::string& path, ImportedMedia& media) {
  return ImportFile(path, media, [](ByteSource& source, ImportedMedia& found) { return ParseAnyMedia(source, found, true); });
}

ImportErr ImportMediaFile(const std::string& path, ImportedMedia& media) {
  return ImportFile(path, media, [](ByteSource& source, ImportedMedia& found) { return ParseAnyMedia(source, found, false); });
}

std::span<const MediaImporterInfo> MediaImporters() { return kImporterInfos; }
