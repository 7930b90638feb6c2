#pragma once
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "platform/quicktime/QtErrors.h"
#include "platform/quicktime/atoms/FileOrigin.h"
#include "platform/quicktime/atoms/SharedVector.h"

// The sizes of a media's samples as runs that point at where they already
// are: one size for many samples, a stretch of a table in memory (shared, not
// copied), or a stretch of entries still in the file they were read from. A
// book joined from hundreds of files holds a few runs per file rather than
// four bytes per frame, and its sizes are read back a block at a time.
class SizeList {
 public:
  class Reader;

  SizeList() = default;
  // One run: the whole table. Implicit, so that a table is taken wherever a list is.
  SizeList(SharedVector<std::uint32_t> table);
  SizeList(std::initializer_list<std::uint32_t> sizes) : SizeList(SharedVector<std::uint32_t>(sizes)) {}

  std::uint64_t size() const { return count_; }
  bool empty() const { return count_ == 0; }
  void AppendConstant(std::uint32_t size, std::uint64_t count);
  // Sizes [first, first + count) of `from`; those still in their file are
  // pointed at there, so that the table they were read into can go.
  void AppendRange(const SizeList& from, std::uint64_t first, std::uint64_t count);
  // Keeps the first `count` sizes.
  void Truncate(std::uint64_t count);
  // Whether both hold the same sizes in the same places.
  bool SharesWith(const SizeList& other) const;
  // Every size, for checks and dumps of small tables; empty when one cannot be read.
  std::vector<std::uint32_t> Entries() const;

 private:
  struct Run {
    std::uint64_t count = 0;
    std::uint32_t size = 0;                  // every sample's, when neither of the two below is set
    SharedVector<std::uint32_t> table;       // or entries [first, first + count) of this
    std::shared_ptr<const FileOrigin> file;  // or big-endian entries from byte `first` of this
    std::uint64_t first = 0;
    bool SameStore(const Run& other) const;
  };
  void Append(Run run);

  std::vector<Run> runs_;
  std::uint64_t count_ = 0;
};

// Reads a list's sizes in order, a block of at most 64 KiB at a time, each
// file checked to be the one they were read from before it is read again.
class SizeList::Reader {
 public:
  explicit Reader(const SizeList& list, std::uint64_t first = 0);
  ~Reader();
  Reader(const Reader&) = delete;
  Reader& operator=(const Reader&) = delete;

  // The next size; false past the end or when it cannot be read (Status() and Why() say).
  bool Next(std::uint32_t& size) {
    if (next_ == block_.size() && !Load()) return false;
    size = block_[next_++];
    return true;
  }
  // The sum of the next `count` sizes.
  bool Sum(std::uint64_t count, std::uint64_t& bytes);
  OSErr Status() const { return err_; }
  const std::string& Why() const { return why_; }

 private:
  static constexpr std::uint64_t kBlock = 16 << 10;  // entries
  bool Load();  // the next block of the run at hand
  bool Fail(OSErr err, std::string why);
  bool ReadFile(const Run& run, std::uint64_t from, std::uint64_t count);

  const SizeList& list_;
  std::size_t run_ = 0;
  std::uint64_t inRun_ = 0;  // entries of runs_[run_] before the block
  std::vector<std::uint32_t> block_;
  std::size_t next_ = 0;
  int fd_ = -1;
  const FileOrigin* open_ = nullptr;
  std::vector<std::uint8_t> bytes_;
  OSErr err_ = noErr;
  std::string why_;
};
