#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/quicktime/QtTypes.h"
#include "platform/quicktime/model/MovieRecord.h"

// The chunks a flattened movie holds, in file order: each track's samples in
// stretches of about half a second that never cross a chunk of their source,
// the tracks taking turns by time (at equal times the earlier track first).
// Made afresh for each pass over the file rather than held: a long book has
// hundreds of thousands of them.
class InterleavedChunks {
 public:
  struct Chunk {
    std::size_t track = 0;
    SampleTable::Span span;
  };

  explicit InterleavedChunks(const MovieRecord& movie);
  // The next chunk; false at the end or when a sample size cannot be read (Status() and Why() say).
  bool Next(Chunk& chunk);
  OSErr Status() const { return err_; }
  const std::string& Why() const { return why_; }

 private:
  void Advance(std::size_t track);
  bool Earlier(std::size_t a, std::size_t b) const;

  const MovieRecord& movie_;
  std::vector<std::unique_ptr<SampleTable::SpanCursor>> cursors_;
  std::vector<std::optional<SampleTable::Span>> next_;
  std::vector<std::uint64_t> start_;  // each track's time so far, in its media's units
  OSErr err_ = noErr;
  std::string why_;
};
