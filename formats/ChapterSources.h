#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/quicktime/QtTypes.h"

// One sample of a text or video track, placed on the track's own time line
// (its media time scale, its edit list's delay applied).
struct TrackSample {
  std::uint64_t start = 0, end = 0;
  std::uint32_t size = 0;
  OSType format = 0;  // of its sample description
  std::string text;   // a text sample's text, bytes as stored
  std::optional<std::string> link;  // from its 'href' box
};

// What the check needs of one track, read as the file holds it.
struct MovieTrack {
  std::uint32_t id = 0;
  OSType handler = 0;
  std::uint32_t timeScale = 0;
  std::uint64_t duration = 0;      // the media header's, as stored
  bool durationIn32Bits = false;   // stored in the version 0 form
  std::uint64_t sampleTime = 0;    // the sum of the sample durations
  std::vector<std::vector<std::uint32_t>> chapterLists;  // one per 'chap' in its 'tref'
  std::vector<OSType> descriptions;
  std::vector<TrackSample> samples;  // text and video tracks only

  bool IsText() const;
  bool IsVideo() const;
  bool HasLinks() const;
};

struct ChplEntry {
  std::uint64_t start = 0;  // 100 ns units
  std::string title;
};

// The chapter sources of a movie file, read at atom level so that what a
// player would trip on is seen as it stands: the tracks and their 'chap'
// lists, the text and video samples, the movie's 'chpl' list. Reads only the
// movie atom and the text samples; the media data is never read whole.
class ChapterSources {
 public:
  static constexpr std::uint64_t kChplUnitsPerSecond = 10'000'000;
  static constexpr std::size_t kMaxListedSamples = 1'000'000;

  // Fills `into` with the bytes at `offset`; false when they are not all there.
  using ReadAt = std::function<bool(std::uint64_t offset, std::span<std::uint8_t> into)>;

  bool Read(std::uint64_t fileSize, const ReadAt& read);
  bool Read(std::span<const std::uint8_t> file);
  // Why Read failed, in a few words.
  const std::string& Failure() const { return failure_; }

  const MovieTrack* Track(std::uint32_t id) const;
  bool InChapterList(std::uint32_t id) const;
  // Text tracks named by a 'chap' list that hold titles (samples, no links), in list order.
  std::vector<const MovieTrack*> ChapterTracks() const;
  std::vector<const MovieTrack*> SlideTracks() const;
  std::vector<const MovieTrack*> LinkTracks() const;
  // The movie's end in milliseconds: its header's duration, or the longest
  // track outside the chapter lists when that header says less.
  std::uint64_t EndMilliseconds() const;

  std::uint32_t timeScale = 0;
  std::uint64_t duration = 0;
  bool durationIn32Bits = false;
  std::vector<MovieTrack> tracks;
  std::optional<std::vector<ChplEntry>> chpl;

 private:
  bool Fail(const std::string& why);
  bool ReadMovieAtom(std::span<const std::uint8_t> payload, std::uint64_t fileSize, const ReadAt& read);

  std::string failure_;
};

// `value` in units of `scale` per second as whole milliseconds, rounded to the nearest.
std::uint64_t Milliseconds(std::uint64_t value, std::uint64_t scale);
