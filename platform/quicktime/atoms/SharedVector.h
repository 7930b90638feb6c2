#pragma once
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <utility>
#include <vector>

#include "platform/quicktime/atoms/FileOrigin.h"

// A large table of integers that several holders read and one at a time may
// change: the movie read from a file, the atoms written from it and the movie
// made from those hold one copy between them; whoever changes it first takes
// its own. Read from a file, the entries can stay big-endian inside the bytes
// read, so that they are not held twice. Changes come only through Change(),
// so no holder sees another's edits. Read from a file, they also remember
// where in it they lie, until they are changed: a table built from many files
// can then point at their entries instead of holding them.
template <std::unsigned_integral E>
class SharedVector {
 public:
  SharedVector() = default;
  // Implicit, so that a plain vector can be handed wherever one is taken.
  SharedVector(std::vector<E> entries)
      : entries_(entries.empty() ? nullptr : std::make_shared<std::vector<E>>(std::move(entries))) {}
  SharedVector(std::initializer_list<E> entries) : SharedVector(std::vector<E>(entries)) {}
  // `count` big-endian entries from byte `at` of `file`, which the caller has checked holds them.
  SharedVector(std::shared_ptr<const std::vector<std::uint8_t>> file, std::size_t at, std::size_t count)
      : file_(std::move(file)), at_(at), fileCount_(count) {}

  std::size_t size() const { return entries_ ? entries_->size() : fileCount_; }
  bool empty() const { return size() == 0; }
  E operator[](std::size_t index) const {
    if (entries_) return (*entries_)[index];
    const std::uint8_t* bytes = file_->data() + at_ + index * sizeof(E);
    E value = 0;
    for (std::size_t i = 0; i < sizeof(E); ++i) value = E(value << 8 | bytes[i]);
    return value;
  }
  std::vector<E> Entries() const {
    std::vector<E> copy;
    copy.reserve(size());
    for (std::size_t i = 0; i < size(); ++i) copy.push_back((*this)[i]);
    return copy;
  }
  // The file holding the entries, big-endian from byte OriginAt(); null when none does.
  const std::shared_ptr<const FileOrigin>& Origin() const { return origin_; }
  std::uint64_t OriginAt() const { return originAt_; }
  void SetOrigin(std::shared_ptr<const FileOrigin> origin, std::uint64_t at) {
    origin_ = std::move(origin);
    originAt_ = at;
  }

  bool SharesWith(const SharedVector& other) const {
    return (entries_ && entries_ == other.entries_) || (file_ && file_ == other.file_ && at_ == other.at_);
  }

  std::vector<E>& Change() {
    origin_.reset();
    if (file_) {
      entries_ = std::make_shared<std::vector<E>>(Entries());
      file_.reset();
      fileCount_ = 0;
    } else if (!entries_) {
      entries_ = std::make_shared<std::vector<E>>();
    } else if (entries_.use_count() > 1) {
      entries_ = std::make_shared<std::vector<E>>(*entries_);
    }
    return *entries_;
  }

 private:
  std::shared_ptr<std::vector<E>> entries_;  // host order; or else
  std::shared_ptr<const std::vector<std::uint8_t>> file_;
  std::size_t at_ = 0, fileCount_ = 0;
  std::shared_ptr<const FileOrigin> origin_;
  std::uint64_t originAt_ = 0;
};
