#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/quicktime/import/SourceWindow.h"

namespace mediaimport {

// What one MPEG audio or ADTS frame header says.
struct MpegFrame {
  std::uint32_t length = 0;        // the whole frame, header included
  std::uint32_t headerLength = 0;  // bytes before the payload a movie stores
  std::uint32_t key = 0;           // equal for frames of one stream
  std::uint32_t rate = 0;
  std::uint16_t channels = 0;
  std::uint32_t samples = 0;       // per channel
  bool splittable = true;          // false: one frame holds several samples that only a decoder can part
};

// Reads a frame header from its first kHeaderBytes bytes; nothing when they are not one.
using FrameReader = std::optional<MpegFrame> (*)(std::span<const std::uint8_t> header);

// Walks a stream of self-delimiting frames from header to header, with a
// small window over the file: tags and damage between frames are skipped,
// and a frame counts only when the next one (or the end of the file) lies
// where its length says. As players do, it finds the first frame behind some
// junk, and after a frame broken off in the middle it picks the stream up
// again at the next header; what it skipped is counted for the notes.
class FrameScanner {
 public:
  static constexpr std::size_t kHeaderBytes = 9;
  static constexpr std::uint64_t kMaxJunk = 64 * 1024;  // searched for a first frame not at the start
  static constexpr int kTrustedRun = 4;                 // frames in a row that a first frame after junk needs

  FrameScanner(SourceWindow& window, FrameReader reader) : window_(window), reader_(reader) {}

  struct Found {
    std::uint64_t offset = 0;
    MpegFrame frame;
  };
  // The first frame, where the file starts (after any ID3v2 tags).
  std::optional<Found> First();
  // The next frame of the stream whose frames have `key`, from `offset` on.
  std::optional<Found> Next(std::uint64_t offset, std::uint32_t key);

  // Whether the first frame lay where the file starts (after any ID3v2 tags), not behind junk.
  bool FirstAtStart() const { return junk_ == 0; }
  // What was skipped so far, as phrases for the notes of a repaired file.
  void NoteRepairs(std::vector<std::string>& repairs) const;

 private:
  std::optional<MpegFrame> FrameAt(std::uint64_t offset);
  bool StartsRun(std::uint64_t offset, const MpegFrame& frame);
  bool StartsRunOf(std::uint64_t offset, MpegFrame frame, int frames);
  // The first frame of stream `key` in [from, to) that the next one follows.
  std::optional<Found> Scan(std::uint64_t from, std::uint64_t to, std::uint32_t key);
  std::optional<Found> Resumed(std::optional<Found> found, std::uint64_t from);
  std::uint64_t AfterId3(std::uint64_t offset);

  SourceWindow& window_;
  FrameReader reader_;
  std::uint64_t junk_ = 0, breaks_ = 0, brokenBytes_ = 0;
};

}  // namespace mediaimport
