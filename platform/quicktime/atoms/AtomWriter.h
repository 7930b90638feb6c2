#pragma once
#include <concepts>
#include <cstdint>
#include <functional>
#include <span>
#include <type_traits>
#include <vector>

#include "platform/quicktime/QtErrors.h"
#include "platform/quicktime/atoms/AtomHeader.h"
#include "platform/quicktime/atoms/AtomSizer.h"
#include "platform/quicktime/atoms/AtomSlots.h"
#include "platform/quicktime/atoms/RawAtom.h"
#include "platform/quicktime/atoms/EntryStream.h"
#include "platform/quicktime/atoms/SizeList.h"

// Writes atoms into a byte buffer, big-endian, each one measured before its
// header is written. Given a sink, it hands the bytes on in pieces as it goes,
// so that a large 'moov' needs no buffer of its own size.
class AtomWriter {
 public:
  using Sink = std::function<OSErr(std::span<const std::uint8_t> bytes)>;
  static constexpr std::size_t kPieceBytes = 256 << 10;

  AtomWriter() = default;
  explicit AtomWriter(Sink sink) : sink_(std::move(sink)) { bytes_.reserve(kPieceBytes); }

  // What is not yet handed on: with no sink, everything written.
  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
  std::uint64_t Position() const { return handedOn_ + bytes_.size(); }
  OSErr Status() const { return err_; }
  // Hands what is buffered to the sink.
  void Flush();
  void Fail(OSErr err = paramErr) {
    if (err_ == noErr) err_ = err;
  }

  template <std::integral T>
  void Field(const char*, T& value, std::size_t width = sizeof(T)) {
    if (!Fits(value, width)) Fail();
    PutBig(std::uint64_t(value), width);
  }
  void Code(const char* name, OSType& code) { Field(name, code); }
  void VersionFlags(std::uint8_t& version, std::uint32_t& flags) {
    PutBig(version, 1);
    PutBig(flags, 3);
  }
  void Skip(std::uint64_t count) {
    MakeRoom(count);
    bytes_.insert(bytes_.end(), count, 0);
  }
  void Bytes(const char*, std::vector<std::uint8_t>& bytes, std::uint64_t count) {
    if (bytes.size() != count) Fail();
    PutBytes(bytes);
    bytes_.resize(bytes_.size() + count - bytes.size(), 0);  // keeps the layout even when short
  }
  void Rest(const char*, std::vector<std::uint8_t>& bytes) { PutBytes(bytes); }

  template <class E, class F>
  void Table(const char*, std::vector<E>& entries, std::uint64_t, F&& each) {
    if (entries.size() > UINT32_MAX) Fail();
    PutBig(entries.size(), 4);
    for (E& entry : entries) each(entry);
  }
  template <class E, class F>
  void Array(const char*, std::vector<E>& entries, std::uint64_t count, std::uint64_t, F&& each) {
    if (entries.size() != count) Fail();
    for (E& entry : entries) each(entry);
  }
  // Read back a block at a time as they are written: they may lie in other files.
  template <class F>
  void Array(const char*, const SizeList& entries, std::uint64_t count, std::uint64_t, F&& each) {
    if (entries.size() != count) Fail();
    SizeList::Reader reader(entries);
    std::uint32_t entry = 0;
    for (std::uint64_t i = 0; i < count; ++i) {
      if (!reader.Next(entry)) return Fail(reader.Status());
      each(entry);
    }
  }
  // Entries made as they are written: the count was known when the atom was measured.
  void Streamed(const char*, const EntryStream& stream, std::size_t width) {
    std::uint64_t made = 0;
    const OSErr err = stream.produce([&](std::uint64_t entry) {
      if (width < 8 && entry >> (8 * width) != 0) Fail();
      PutBig(entry, width);
      ++made;
    });
    if (err != noErr) Fail(err);
    if (made != stream.count) Fail(internalQuickTimeError);
  }
  template <class E, class F>
  void Repeat(const char*, std::vector<E>& entries, std::uint64_t, F&& each) {
    for (E& entry : entries) each(entry);
  }
  template <class... Slots>
  void Children(std::vector<RawAtom>& others, Slots&... slots) {
    (AtomSlot<Slots>::Each(slots, [&](auto& atom) { Atom(atom); }), ...);
    for (RawAtom& atom : others) Atom(atom);
  }
  template <class E>
  void CountedChildren(const char*, std::vector<E>& entries) {
    PutBig(entries.size(), 4);
    for (E& atom : entries) Atom(atom);
  }

  // One whole atom: measured, header, payload.
  template <class A>
  void Atom(A& atom) {
    const std::uint64_t total = MeasuredSize(atom), start = Position();
    PutHeader(AtomType(atom), total);
    atom.Transfer(*this);
    if (Position() - start != total) Fail(internalQuickTimeError);  // only a bug in a Transfer trips this
  }
  void PutHeader(OSType type, std::uint64_t total);
  void PutBig(std::uint64_t value, std::size_t width);
  void PutBytes(std::span<const std::uint8_t> bytes) {
    MakeRoom(bytes.size());
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  }

 private:
  template <class T>
  static bool Fits(T value, std::size_t width) {
    if (width >= 8) return true;
    const unsigned bits = unsigned(8 * width);
    if constexpr (std::is_signed_v<T>) {
      const std::int64_t limit = std::int64_t(1) << (bits - 1);
      return std::int64_t(value) >= -limit && std::int64_t(value) < limit;
    } else {
      return std::uint64_t(value) >> bits == 0;
    }
  }

  // Hands on what is buffered before `coming` bytes would outgrow the piece.
  void MakeRoom(std::size_t coming) {
    if (sink_ && bytes_.size() + coming > kPieceBytes) Flush();
  }

  Sink sink_;
  std::vector<std::uint8_t> bytes_;
  std::uint64_t handedOn_ = 0;
  OSErr err_ = noErr;
};
