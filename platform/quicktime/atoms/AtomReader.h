#pragma once
#include <array>
#include <concepts>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/quicktime/QtErrors.h"
#include "platform/quicktime/atoms/AtomHeader.h"
#include "platform/quicktime/atoms/AtomSlots.h"
#include "platform/quicktime/atoms/RawAtom.h"
#include "platform/quicktime/atoms/EntryStream.h"
#include "platform/quicktime/atoms/SharedVector.h"
#include "platform/quicktime/atoms/SizeList.h"

// Reads atoms from bytes in memory. A child reader is a window carved out of
// its parent, so no atom sees past the one that holds it. Errors are sticky:
// after the first one every read gives 0 and Status() says why. Every count is
// checked against the bytes left before anything is allocated.
//
// A tolerant reader reads a file as players do and says what it mended: an
// atom that runs a little past the bytes there are, or a table that counts a
// few entries more than it holds, is cut to them; a damaged atom outside the
// sample tables is skipped; a second 'udta' is read into the first. Each
// repair is one short phrase in the list it was given. Claims far beyond the
// bytes are damage no player reads past, and fail as they always do.
class AtomReader {
 public:
  static constexpr int kMaxDepth = 16;
  static constexpr std::uint64_t kMaxOverrun = 64 * 1024;  // bytes an atom may claim past those there are
  static constexpr std::uint64_t kFewEntries = 64;         // entries a table may count past those it holds

  explicit AtomReader(std::span<const std::uint8_t> bytes, int depth = 0) : rest_(bytes), depth_(depth) {}
  // Reading bytes that outlive the reader, large tables of integers may stay
  // in them rather than be copied out.
  explicit AtomReader(std::shared_ptr<const std::vector<std::uint8_t>> file) : rest_(*file), depth_(0), file_(file) {}
  // The bytes were read from `origin` at `at`: large tables remember where they lie in it.
  AtomReader(std::shared_ptr<const std::vector<std::uint8_t>> file, std::shared_ptr<const FileOrigin> origin,
             std::uint64_t at)
      : AtomReader(std::move(file)) {
    origin_ = std::move(origin);
    originAt_ = at;
  }

  std::uint64_t Left() const { return rest_.size(); }
  OSErr Status() const { return err_; }
  void Fail(OSErr err = noMovieFound);
  // From here on (and in every child) read tolerantly, noting repairs in `repairs`.
  void Tolerate(std::vector<std::string>* repairs) { repairs_ = repairs; }

  template <std::integral T>
  void Field(const char*, T& value, std::size_t width = sizeof(T)) {
    std::uint64_t raw = Big(width);
    if constexpr (std::is_signed_v<T>) {
      if (width < 8 && (raw >> (8 * width - 1) & 1)) raw |= ~std::uint64_t(0) << (8 * width);
    }
    value = T(raw);
  }
  void Code(const char* name, OSType& code) { Field(name, code); }
  void VersionFlags(std::uint8_t& version, std::uint32_t& flags);
  void Skip(std::uint64_t count);
  void Bytes(const char* name, std::vector<std::uint8_t>& bytes, std::uint64_t count);
  void Rest(const char* name, std::vector<std::uint8_t>& bytes);

  // A 32-bit count, then that many entries.
  template <class E, class F>
  void Table(const char* name, std::vector<E>& entries, std::uint64_t entryBytes, F&& each) {
    std::uint32_t count = 0;
    Field(name, count);
    Array(name, entries, count, entryBytes, each);
  }
  // `count` entries, the count given elsewhere.
  template <class E, class F>
  void Array(const char*, std::vector<E>& entries, std::uint64_t count, std::uint64_t entryBytes, F&& each) {
    if (err_ != noErr || !FitCount(count, entryBytes)) return;
    entries.resize(count);
    for (E& entry : entries) each(entry);
  }
  // Kept where it lies when it is most of the bytes read: a long book's
  // sample sizes are then held once, not twice.
  template <class E, class F>
  void Array(const char* name, SharedVector<E>& entries, std::uint64_t count, std::uint64_t entryBytes, F&& each) {
    if (err_ != noErr || !FitCount(count, entryBytes)) return;
    const std::uint64_t at = file_ ? std::uint64_t(rest_.data() - file_->data()) : 0;
    if (file_ && entryBytes == sizeof(E) && 2 * count * entryBytes >= file_->size()) {
      entries = SharedVector<E>(file_, std::size_t(at), std::size_t(count));
      Skip(count * entryBytes);
    } else {
      std::vector<E> read;
      Array(name, read, count, entryBytes, each);
      entries = std::move(read);
    }
    if (origin_ && entryBytes == sizeof(E) && err_ == noErr) entries.SetOrigin(origin_, originAt_ + at);
  }
  template <class F>
  void Array(const char* name, SizeList& entries, std::uint64_t count, std::uint64_t entryBytes, F&& each) {
    SharedVector<std::uint32_t> table;
    Array(name, table, count, entryBytes, each);
    entries = std::move(table);
  }
  // Made only for writing: a file never holds one to read.
  void Streamed(const char*, const EntryStream&, std::size_t) { Fail(); }
  // Entries up to the end of the atom.
  template <class E, class F>
  void Repeat(const char* name, std::vector<E>& entries, std::uint64_t entryBytes, F&& each) {
    Array(name, entries, Left() / entryBytes, entryBytes, each);
  }

  // Child atoms up to the end of this one, each into the slot that accepts its
  // type; the rest kept as they are in `others`.
  template <class... Slots>
  void Children(std::vector<RawAtom>& others, Slots&... slots) {
    [[maybe_unused]] std::array<bool, sizeof...(Slots)> seen{};
    while (err_ == noErr && Left() > 0) {
      if (Left() < 8 && OnlyZerosLeft()) return Skip(Left());  // the zero word that ends some lists
      if (SkipsDamage() && !HeaderFits()) {
        Note(std::to_string(Left()) + " damaged bytes at the end of " + Name(type_) + " were skipped");
        Skip(Left());
        break;
      }
      AtomHeader header;
      if (!ReadHeader(header)) return;
      AtomReader body = Child(header.payloadBytes, header.cut);
      std::size_t index = 0;
      const bool known = (TakeInto(header.type, body, slots, seen[index++]) || ...);
      if (!known && header.cut && SkipsDamage())  // kept as bytes, it would carry the damage on
        Note("the cut-off " + Name(header.type) + " in " + Name(type_) + " was skipped");
      else if (!known)
        ReadBody(body, header.type, others.emplace_back());
      Absorb(body);
    }
    std::size_t index = 0;
    (RequirePresent<Slots>(seen[index++]), ...);
  }

  // A 32-bit count, then that many child atoms.
  template <class E>
  void CountedChildren(const char* name, std::vector<E>& entries) {
    std::uint64_t count = 0;
    Field(name, count, 4);
    if (err_ != noErr || !FitCount(count, 8)) return;
    entries.clear();
    entries.reserve(std::size_t(count));
    for (std::uint64_t i = 0; i < count && err_ == noErr; ++i) {
      AtomHeader header;
      if (!ReadHeader(header)) return;
      AtomReader body = Child(header.payloadBytes, header.cut);
      if (!AtomAccepts<E>(header.type)) body.Fail();
      ReadBody(body, header.type, entries.emplace_back());
      Absorb(body);
    }
  }

  // The size and type of the next atom, checked against the bytes left; a
  // size of 0 ("to the end") only where the caller allows it.
  bool ReadHeader(AtomHeader& header, bool allowToEnd = false);
  // The next `count` bytes as a reader of their own; `cut` when its atom was
  // cut to the bytes there are (its own children's cuts then go unsaid).
  AtomReader Child(std::uint64_t count, bool cut = false);
  void Absorb(const AtomReader& child) {
    if (child.err_ != noErr) Fail(child.err_);
  }

  // Reads one atom's body, whose header is already read.
  template <class A>
  static void ReadBody(AtomReader& body, OSType type, A& atom) {
    body.type_ = type;
    body.keepsAll_ = body.keepsAll_ || kChildrenMustBeWhole<A>;
    AtomTakeType(atom, type);
    atom.Transfer(body);
    body.Skip(body.Left());  // bytes a known atom leaves unread are padding
  }

  // One whole atom of a known kind, header first.
  template <class A>
  void Atom(A& atom) {
    AtomHeader header;
    if (!ReadHeader(header)) return;
    AtomReader body = Child(header.payloadBytes, header.cut);
    if (!AtomAccepts<A>(header.type)) body.Fail();
    ReadBody(body, header.type, atom);
    Absorb(body);
  }

  // An atom type as the notes write it: 'mdat'.
  static std::string Name(OSType type);

 private:
  template <class S>
  bool TakeInto(OSType type, AtomReader& body, S& slot, bool& seen) {
    using Slot = AtomSlot<S>;
    if (!AtomAccepts<typename Slot::Atom>(type)) return false;
    if (seen && !kSlotIsList<S>) {
      ReadSecond(type, body, slot);
      return true;
    }
    seen = true;
    ReadBody(body, type, Slot::Add(slot));
    if constexpr (!Slot::kRequired) {
      if (body.err_ != noErr && SkipsDamage()) {  // done without, as players do
        Slot::DropLast(slot);
        seen = kSlotIsList<S>;
        body.err_ = noErr;
        Note("the damaged " + Name(type) + " in " + Name(type_) + " was skipped");
      }
    }
    return true;
  }
  template <class S>
  void ReadSecond(OSType type, AtomReader& body, S& slot) {
    using Atom = typename AtomSlot<S>::Atom;
    if (!SkipsDamage()) return body.Fail();  // a second header or table would leave the first one's meaning open
    if constexpr (kMergesRepeats<Atom>) {
      Atom second;
      ReadBody(body, type, second);
      if (body.err_ != noErr) return;
      AtomSlot<S>::Each(slot, [&](Atom& first) { first.MergeFrom(std::move(second)); });
      Note("a second " + Name(type) + " in " + Name(type_) + " was read with the first");
    } else {
      body.Skip(body.Left());
      Note("a second " + Name(type) + " in " + Name(type_) + " was skipped");
    }
  }
  template <class S>
  void RequirePresent(bool seen) {
    if (AtomSlot<S>::kRequired && !seen) Fail();
  }
  bool OnlyZerosLeft() const;
  std::uint64_t Big(std::size_t width);
  bool Tolerant() const { return repairs_ != nullptr; }
  bool SkipsDamage() const { return Tolerant() && !keepsAll_; }
  // Whether the next bytes start an atom that can be read at all.
  bool HeaderFits() const;
  // A count of `entryBytes` entries that the bytes left must hold: cut to
  // what they hold when tolerant, else a failure.
  bool FitCount(std::uint64_t& count, std::uint64_t entryBytes);
  void Note(std::string repair) const {
    if (repairs_) repairs_->push_back(std::move(repair));
  }

  std::span<const std::uint8_t> rest_;
  int depth_;
  std::shared_ptr<const std::vector<std::uint8_t>> file_;  // what rest_ lies in, when it outlives us
  std::shared_ptr<const FileOrigin> origin_;                // where file_ was read from, at originAt_
  std::uint64_t originAt_ = 0;
  OSErr err_ = noErr;
  std::vector<std::string>* repairs_ = nullptr;  // set: tolerant
  OSType type_ = 0;        // of the atom being read, for the notes
  bool keepsAll_ = false;  // inside the sample tables: damage is never skipped
  bool cut_ = false;       // cut to the bytes there are
};
