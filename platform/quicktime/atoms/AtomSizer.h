#pragma once
#include <concepts>
#include <cstdint>
#include <vector>

#include "platform/quicktime/QtErrors.h"
#include "platform/quicktime/atoms/AtomHeader.h"
#include "platform/quicktime/atoms/AtomSlots.h"
#include "platform/quicktime/atoms/RawAtom.h"

// Counts the bytes an atom's payload will take, running the same Transfer
// that writes it, so sizes and bytes cannot disagree.
class AtomSizer {
 public:
  std::uint64_t Bytes() const { return bytes_; }
  OSErr Status() const { return noErr; }
  void Fail(OSErr = noErr) {}

  template <std::integral T>
  void Field(const char*, T&, std::size_t width = sizeof(T)) {
    bytes_ += width;
  }
  void Code(const char*, OSType&) { bytes_ += 4; }
  void VersionFlags(std::uint8_t&, std::uint32_t&) { bytes_ += 4; }
  void Skip(std::uint64_t count) { bytes_ += count; }
  void Bytes(const char*, std::vector<std::uint8_t>&, std::uint64_t count) { bytes_ += count; }
  void Rest(const char*, std::vector<std::uint8_t>& bytes) { bytes_ += bytes.size(); }

  template <class E, class F>
  void Table(const char*, std::vector<E>& entries, std::uint64_t entryBytes, F&&) {
    bytes_ += 4 + entries.size() * entryBytes;
  }
  template <class Entries, class F>
  void Array(const char*, Entries&, std::uint64_t count, std::uint64_t entryBytes, F&&) {
    bytes_ += count * entryBytes;
  }
  template <class Stream>
  void Streamed(const char*, const Stream& stream, std::size_t width) {
    bytes_ += stream.count * width;
  }
  template <class E, class F>
  void Repeat(const char*, std::vector<E>& entries, std::uint64_t entryBytes, F&&) {
    bytes_ += entries.size() * entryBytes;
  }
  template <class... Slots>
  void Children(std::vector<RawAtom>& others, Slots&... slots) {
    (AtomSlot<Slots>::Each(slots, [&](auto& atom) { Atom(atom); }), ...);
    for (RawAtom& atom : others) Atom(atom);
  }
  template <class E>
  void CountedChildren(const char*, std::vector<E>& entries) {
    bytes_ += 4;
    for (E& atom : entries) Atom(atom);
  }
  template <class A>
  void Atom(A& atom);

 private:
  std::uint64_t bytes_ = 0;
};

// The whole size of an atom, header included, once its versions have settled.
template <class A>
std::uint64_t MeasuredSize(A& atom) {
  AtomPrepare(atom);
  AtomSizer sizer;
  atom.Transfer(sizer);
  return AtomSize(sizer.Bytes());
}

template <class A>
void AtomSizer::Atom(A& atom) {
  bytes_ += MeasuredSize(atom);
}
