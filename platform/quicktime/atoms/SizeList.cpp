#include "platform/quicktime/atoms/SizeList.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/helper/PendingFile.h"
#include "platform/quicktime/QtErrors.h"

SizeList::SizeList(SharedVector<std::uint32_t> table) {
  if (table.empty()) return;
  Run run;
  run.count = table.size();
  run.table = std::move(table);
  Append(std::move(run));
}

bool SizeList::Run::SameStore(const Run& other) const {
  if (file || other.file) return file == other.file;
  if (!table.empty() || !other.table.empty()) return table.SharesWith(other.table);
  return size == other.size;
}

void SizeList::Append(Run run) {
  if (run.count == 0) return;
  count_ += run.count;
  if (!runs_.empty()) {  // a stretch that carries on where the last one ends joins it
    Run& last = runs_.back();
    const std::uint64_t step = last.file ? 4 : 1;
    const bool constant = !last.file && last.table.empty();
    if (last.SameStore(run) && (constant || run.first == last.first + step * last.count)) {
      last.count += run.count;
      return;
    }
  }
  runs_.push_back(std::move(run));
}

void SizeList::AppendConstant(std::uint32_t size, std::uint64_t count) {
  Run run;
  run.count = count;
  run.size = size;
  Append(std::move(run));
}

void SizeList::AppendRange(const SizeList& from, std::uint64_t first, std::uint64_t count) {
  std::uint64_t start = 0;
  for (const Run& run : from.runs_) {
    const std::uint64_t lo = std::max(first, start), hi = std::min(first + count, start + run.count);
    if (lo < hi) {
      Run part = run;
      part.count = hi - lo;
      const std::uint64_t skipped = lo - start;
      if (run.file) {
        part.first += 4 * skipped;
      } else if (run.table.Origin()) {  // pointed at in its file, so the table read can go
        part.file = run.table.Origin();
        part.first = run.table.OriginAt() + 4 * (run.first + skipped);
        part.table = {};
      } else {
        part.first += skipped;
      }
      Append(std::move(part));
    }
    start += run.count;
    if (start >= first + count) break;
  }
}

void SizeList::Truncate(std::uint64_t count) {
  if (count >= count_) return;
  std::uint64_t kept = 0;
  std::size_t r = 0;
  while (kept + runs_[r].count < count) kept += runs_[r++].count;
  runs_[r].count = count - kept;
  runs_.resize(count == 0 ? 0 : r + 1);
  count_ = count;
}

bool SizeList::SharesWith(const SizeList& other) const {
  if (runs_.empty() || runs_.size() != other.runs_.size()) return false;
  for (std::size_t r = 0; r < runs_.size(); ++r) {
    const Run &a = runs_[r], &b = other.runs_[r];
    if (!a.SameStore(b) || a.first != b.first || a.count != b.count) return false;
  }
  return true;
}

std::vector<std::uint32_t> SizeList::Entries() const {
  std::vector<std::uint32_t> sizes(count_);
  Reader reader(*this);
  for (std::uint32_t& size : sizes)
    if (!reader.Next(size)) return {};
  return sizes;
}

SizeList::Reader::Reader(const SizeList& list, std::uint64_t first) : list_(list) {
  while (run_ < list_.runs_.size() && first >= list_.runs_[run_].count) first -= list_.runs_[run_++].count;
  inRun_ = first;
}

SizeList::Reader::~Reader() {
  if (fd_ >= 0) ::close(fd_);
}

bool SizeList::Reader::Fail(OSErr err, std::string why) {
  if (err_ == noErr) {
    err_ = err;
    why_ = std::move(why);
  }
  block_.clear();
  next_ = 0;
  run_ = list_.runs_.size();
  return false;
}

bool SizeList::Reader::Sum(std::uint64_t count, std::uint64_t& bytes) {
  while (count > 0) {
    if (next_ < block_.size()) {
      const std::size_t take = std::size_t(std::min<std::uint64_t>(count, block_.size() - next_));
      for (std::size_t i = 0; i < take; ++i) bytes += block_[next_ + i];
      next_ += take;
      count -= take;
      continue;
    }
    while (run_ < list_.runs_.size() && inRun_ == list_.runs_[run_].count) ++run_, inRun_ = 0;
    if (run_ == list_.runs_.size()) return Load();  // says why
    const Run& run = list_.runs_[run_];
    if (run.file || !run.table.empty()) {
      if (!Load()) return false;
      continue;
    }
    const std::uint64_t take = std::min(count, run.count - inRun_);  // one size: no need to list it
    bytes += take * run.size;
    inRun_ += take;
    count -= take;
  }
  return true;
}

bool SizeList::Reader::Load() {
  while (run_ < list_.runs_.size() && inRun_ == list_.runs_[run_].count) ++run_, inRun_ = 0;
  if (run_ == list_.runs_.size())
    return err_ != noErr ? false : Fail(invalidSampleTable, "the sample table lists fewer sizes than samples");
  const Run& run = list_.runs_[run_];
  const std::uint64_t count = std::min(kBlock, run.count - inRun_);
  block_.resize(std::size_t(count));
  next_ = 0;
  if (run.file) {
    if (!ReadFile(run, inRun_, count)) return false;
  } else if (!run.table.empty()) {
    for (std::size_t i = 0; i < count; ++i) block_[i] = run.table[std::size_t(run.first + inRun_ + i)];
  } else {
    std::fill(block_.begin(), block_.end(), run.size);
  }
  inRun_ += count;
  return true;
}

bool SizeList::Reader::ReadFile(const Run& run, std::uint64_t from, std::uint64_t count) {
  if (open_ != run.file.get()) {
    if (fd_ >= 0) ::close(fd_);
    open_ = nullptr;
    OSErr err = noErr;
    std::string why;
    fd_ = run.file->OpenUnchanged(run.first + 4 * run.count, err, why);
    if (fd_ < 0) return Fail(err, std::move(why));
    open_ = run.file.get();
  }
  bytes_.resize(std::size_t(4 * count));
  const std::uint64_t at = run.first + 4 * from;
  for (std::size_t done = 0; done < bytes_.size();) {
    const ssize_t n = ::pread(fd_, bytes_.data() + done, bytes_.size() - done, off_t(at + done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Fail(ioErr, "source file \"" + run.file->Path() + "\" cannot be read: " + FileErrorText(errno));
    if (n == 0) return Fail(eofErr, "source file \"" + run.file->Path() + "\" is shorter than its sample table says");
    done += std::size_t(n);
  }
  for (std::size_t i = 0; i < block_.size(); ++i) {
    const std::uint8_t* b = bytes_.data() + 4 * i;
    block_[i] = std::uint32_t(b[0]) << 24 | std::uint32_t(b[1]) << 16 | std::uint32_t(b[2]) << 8 | b[3];
  }
  return true;
}
