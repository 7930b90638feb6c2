#include "platform/quicktime/import/FrameScanner.h"

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

std::optional<FrameScanner::Found> FrameScanner::First() {
  const std::uint64_t start = AfterId3(0);
  const std::optional<MpegFrame> frame = FrameAt(start);
  if (!frame || !StartsRun(start, *frame)) return std::nullopt;
  return Found{start, *frame};
}

std::optional<FrameScanner::Found> FrameScanner::Next(std::uint64_t offset, std::uint32_t key) {
  if (const std::optional<MpegFrame> frame = FrameAt(offset); frame && frame->key == key) return Found{offset, *frame};
  for (offset = AfterId3(offset); offset < window_.Size() && window_.Status() == ImportErr::None; ++offset) {
    offset = AfterId3(offset);
    const std::optional<MpegFrame> frame = FrameAt(offset);
    if (frame && frame->key == key && StartsRun(offset, *frame)) return Found{offset, *frame};
  }
  return std::nullopt;
}

}  // namespace mediaimport
