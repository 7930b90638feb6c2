#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// What an importer finds in one media file that is not a movie: the kind of
// media, its clock, the sample description a movie stores for it, and the
// samples as they lie in the file. Samples stay in the file (by reference):
// the tables grow by one entry per chunk and, only where sizes vary, by one
// size per sample; never by the bytes of the media.

// The toolbox's result numbers, as callers print them.
enum class ImportErr : std::int16_t {
  None = 0,
  Io = -36,             // the file could not be read to its end
  FileNotFound = -43,   // no such file, or a folder where a file was expected
  Param = -50,          // an empty path
  Permission = -54,     // the file exists but may not be read
  MemFull = -108,       // sizes or counts beyond what a movie can hold
  NotMovieFile = -2048  // not a file of the kind asked for, or damaged beyond use
};

// One run of the time-to-sample table ('stts'): `count` samples of `delta` units each.
struct ImportedTimeRun {
  std::uint32_t count = 0;
  std::uint32_t delta = 0;
  bool operator==(const ImportedTimeRun&) const = default;
};

// Consecutive samples that lie back to back in the file from `offset` on.
struct ImportedChunk {
  std::uint64_t offset = 0;
  std::uint32_t sampleCount = 0;
  bool operator==(const ImportedChunk&) const = default;
};

// The part of a media that is meant to be heard, in its time scale units.
struct ImportedEdit {
  std::uint64_t start = 0;
  std::uint64_t duration = 0;
  bool operator==(const ImportedEdit&) const = default;
};

struct ImportedMedia {
  std::uint32_t mediaType = 0;  // 'soun' or 'vide', four characters read as a big-endian number
  std::uint32_t timeScale = 0;  // units per second: the sample rate for sound, 600 for an image
  // One 'stsd' entry exactly as a file holds it: big-endian, its size and
  // format first, extension atoms ('esds', ...) included.
  std::vector<std::uint8_t> sampleDescription;
  std::uint16_t width = 0;   // images only, in pixels
  std::uint16_t height = 0;  // images only, in pixels

  std::vector<ImportedTimeRun> timeToSample;
  std::uint32_t constantSampleSize = 0;   // bytes per sample; 0 when `sampleSizes` holds them
  std::vector<std::uint32_t> sampleSizes;  // one per sample, only when sizes vary
  std::vector<ImportedChunk> chunks;       // in file order, sample counts summing to SampleCount()
  std::string path;                        // the file that the chunk offsets point into
  // Set when the file names the encoder's delay and padding (an MP3 with an
  // encoder tag): a movie presents only this part, through its edit list, so
  // that joined files neither gain silence nor drift. None: all of the media.
  std::optional<ImportedEdit> presented;
  // What was mended to read the file, one short phrase each ("skipped 417
  // bytes before the first frame"); the movie hands them on to its user.
  std::vector<std::string> repairs;
  // Why a file of a known kind was refused, in words, when a number would not
  // tell the user what to do (a codec a movie cannot carry). Kept on failure.
  std::string refusal;

  std::uint32_t Format() const;          // the description's format: 'sowt', 'mp4a', 'jpeg', ...
  std::uint64_t SampleCount() const;     // from the time-to-sample runs
  std::uint64_t Duration() const;        // in `timeScale` units
  std::uint64_t SampleSize(std::uint64_t index) const;  // 0-based
};

// Each importer reads the file's headers (and, for MP3 and ADTS, every frame
// header) without decoding anything; on failure `media` is left empty but
// for its `refusal`.
//   WAV:  PCM (RIFF, RF64, BW64, extensible); 16-bit as 'sowt', 8-bit as 'raw ',
//         other widths and float as 'lpcm'.
//   AIFF: AIFF and uncompressed AIFC; 8- and 16-bit as 'twos', others as 'lpcm'.
//   MP3:  MPEG audio layer III, one sample per frame, as '.mp3'.
//   ADTS: AAC, one sample per raw frame without its ADTS header, as 'mp4a' + 'esds'.
//   JPEG, PNG: the whole file as one sample, as 'jpeg' / 'png '.
ImportErr ImportWav(const std::string& path, ImportedMedia& media);
ImportErr ImportAiff(const std::string& path, ImportedMedia& media);
ImportErr ImportMp3(const std::string& path, ImportedMedia& media);
ImportErr ImportAdts(const std::string& path, ImportedMedia& media);
ImportErr ImportJpeg(const std::string& path, ImportedMedia& media);
ImportErr ImportPng(const std::string& path, ImportedMedia& media);

// The graphics importer: a JPEG or PNG file, told apart by its content.
ImportErr ImportImage(const std::string& path, ImportedMedia& media);
// Any of the formats above, chosen by the file's content, never by its name.
// NotMovieFile when no importer recognises it (a movie file, for instance).
ImportErr ImportMediaFile(const std::string& path, ImportedMedia& media);

// The importers that exist, for the component listing.
struct MediaImporterInfo {
  const char* name;       // "WAVE", "AIFF", "MP3", "ADTS AAC", "JPEG", "PNG"
  std::uint32_t subType;  // 'WAVE', 'AIFF', 'MP3 ', 'adts', 'jpeg', 'png '
  bool graphics;          // a graphics importer rather than a movie importer
};
std::span<const MediaImporterInfo> MediaImporters();
