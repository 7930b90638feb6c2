#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/quicktime/QtTypes.h"
#include "platform/quicktime/model/SampleTable.h"

class TrackRecord;

// One track's media: its kind, clock, sample descriptions (each an 'stsd'
// entry as a file holds it, big-endian, data reference index at byte 14),
// the files its samples lie in, and the sample table.
class MediaRecord {
 public:
  static constexpr std::size_t kDataRefIndexAt = 14;

  explicit MediaRecord(TrackRecord& track) : track(track) {}

  TrackRecord& track;
  OSType type = 0;  // 'soun', 'vide', 'text', ...
  TimeScale timeScale = 600;
  std::uint16_t language = 0x55C4;
  std::vector<std::vector<std::uint8_t>> descriptions;
  std::vector<std::string> dataRefs;  // file paths, 1-based in the descriptions
  SampleTable samples;
  std::uint16_t graphicsMode = 0x40;  // copy
  std::array<std::uint16_t, 3> opColor{0x8000, 0x8000, 0x8000};
  bool unicodeText = false;  // the text handler's 'encd' property
  bool editing = false;      // between BeginMediaEdits and EndMediaEdits

  std::uint64_t Duration() const { return samples.Duration(); }
  // The data reference (1-based) that description `index` (1-based) names; 0 when none.
  std::uint16_t DataRefOf(std::uint32_t description) const;
  // The index of a description byte-identical to `bytes`, adding it when new.
  std::uint32_t ShareDescription(const std::vector<std::uint8_t>& bytes);
  // The index of the data reference for `path`, adding it when new.
  std::uint16_t ShareDataRef(const std::string& path);
};
