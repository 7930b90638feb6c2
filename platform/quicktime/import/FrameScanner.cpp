#include "platform/quicktime/import/FrameScanner.h"

#include <algorithm>
#include <string>

#include "platform/quicktime/import/Bytes.h"

namespace mediaimport {

namespace {
constexpr std::size_t kId3HeaderBytes = 10;
}  // namespace

std::optional<MpegFrame> FrameScanner::FrameAt(std::uint64_t offset) {
  const auto header = window_.Peek(offset, kHeaderBytes);
  if (header.size() < 4) return std::nullopt;
  std::optional<MpegFrame> frame = reader_(header);
  if (!frame || frame->length < frame->headerLength || frame->headerLength > header.size()) return std::nullopt;
  if (frame->length > window_.Size() - offset) return std::nullopt;  // cut off by the end of the file
  return frame;
}

bool FrameScanner::StartsRun(std::uint64_t offset, const MpegFrame& frame) {
  const std::uint64_t next = offset + frame.length;
  if (next == window_.Size()) return true;
  const std::optional<MpegFrame> following = FrameAt(next);
  return following && following->key == frame.key;
}

// ID3v2 tags: "ID3", version, flags, then a size of four 7-bit bytes.
std::uint64_t FrameScanner::AfterId3(std::uint64_t offset) {
  for (;;) {
    const auto b = window_.Peek(offset, kId3HeaderBytes);
    if (b.size() < kId3HeaderBytes || b[0] != 'I' || b[1] != 'D' || b[2] != '3') return offset;
    if ((b[6] | b[7] | b[8] | b[9]) & 0x80) return offset;
    const std::uint64_t size = std::uint64_t(b[6]) << 21 | std::uint64_t(b[7]) << 14 | std::uint64_t(b[8]) << 7 | b[9];
    const bool footer = (b[5] & 0x10) != 0;
    offset += kId3HeaderBytes + size + (footer ? kId3HeaderBytes : 0);
  }
}

bool FrameScanner::StartsRunOf(std::uint64_t offset, MpegFrame frame, int frames) {
  for (int i = 1; i < frames; ++i) {
    offset += frame.length;
    if (offset == window_.Size()) return true;
    const std::optional<MpegFrame> next = FrameAt(offset);
    if (!next || next->key != frame.key) return false;
    frame = *next;
  }
  return true;
}

std::optional<FrameScanner::Found> FrameScanner::First() {
  const std::uint64_t start = AfterId3(0);
  if (const std::optional<MpegFrame> frame = FrameAt(start); frame && StartsRun(start, *frame)) return Found{start, *frame};
  const std::uint64_t end = std::min(window_.Size(), start + kMaxJunk);
  for (std::uint64_t at = start + 1; at < end && window_.Status() == ImportErr::None; ++at) {
    const std::optional<MpegFrame> frame = FrameAt(at);
    if (frame && StartsRunOf(at, *frame, kTrustedRun)) {
      junk_ = at - start;
      return Found{at, *frame};
    }
  }
  return std::nullopt;
}

std::optional<FrameScanner::Found> FrameScanner::Scan(std::uint64_t from, std::uint64_t to, std::uint32_t key) {
  for (std::uint64_t at = AfterId3(from); at < to && at < window_.Size() && window_.Status() == ImportErr::None;
       at = AfterId3(at + 1)) {
    const std::optional<MpegFrame> frame = FrameAt(at);
    if (frame && frame->key == key && StartsRun(at, *frame)) return Found{at, *frame};
  }
  return std::nullopt;
}

std::optional<FrameScanner::Found> FrameScanner::Resumed(std::optional<Found> found, std::uint64_t from) {
  if (found && found->offset > from) {
    ++breaks_;
    brokenBytes_ += found->offset - from;
  }
  return found;
}

void FrameScanner::NoteRepairs(std::vector<std::string>& repairs) const {
  if (junk_ > 0) repairs.push_back(std::to_string(junk_) + " bytes before the first frame were skipped");
  if (breaks_ > 0)
    repairs.push_back("the stream was broken at " + std::to_string(breaks_) + (breaks_ == 1 ? " place" : " places") +
                      " and picked up at the next frame (" + std::to_string(brokenBytes_) + " bytes skipped)");
}

std::optional<FrameScanner::Found> FrameScanner::Next(std::uint64_t offset, std::uint32_t key) {
  const std::optional<MpegFrame> frame = FrameAt(offset);
  if (!frame || frame->key != key) return Resumed(Scan(offset, window_.Size(), key), AfterId3(offset));
  if (StartsRun(offset, *frame)) return Found{offset, *frame};
  // What follows is no frame: this one was broken off where another starts
  // inside it, or else it is the last before a tag or some junk.
  if (std::optional<Found> inside = Scan(offset + 1, offset + frame->length, key)) return Resumed(inside, offset);
  return Found{offset, *frame};
}

}  // namespace mediaimport
