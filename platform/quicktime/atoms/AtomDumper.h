#pragma once
#include <concepts>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/quicktime/QtErrors.h"
#include "platform/quicktime/atoms/AtomSlots.h"
#include "platform/quicktime/atoms/RawAtom.h"
#include "platform/quicktime/atoms/EntryStream.h"
#include "platform/quicktime/atoms/SizeList.h"

// Describes atoms as text, one "name: value" line per field, indented by
// depth: for traces and for tests that compare what was read with what was
// written.
class AtomDumper {
 public:
  const std::string& Text() const { return text_; }
  OSErr Status() const { return noErr; }
  void Fail(OSErr = noErr) {}

  template <std::integral T>
  void Field(const char* name, T& value, std::size_t = sizeof(T)) {
    Line(name, std::to_string(value));
  }
  void Code(const char* name, OSType& code);
  void VersionFlags(std::uint8_t& version, std::uint32_t& flags);
  void Skip(std::uint64_t) {}
  void Bytes(const char* name, std::vector<std::uint8_t>& bytes, std::uint64_t) { Rest(name, bytes); }
  void Rest(const char* name, std::vector<std::uint8_t>& bytes);

  template <class E, class F>
  void Table(const char* name, std::vector<E>& entries, std::uint64_t, F&& each) {
    Line(name, std::to_string(entries.size()));
    Nested([&] {
      for (E& entry : entries) each(entry);
    });
  }
  template <class E, class F>
  void Array(const char* name, std::vector<E>& entries, std::uint64_t, std::uint64_t entryBytes, F&& each) {
    Table(name, entries, entryBytes, each);
  }
  template <class F>
  void Array(const char* name, SizeList& entries, std::uint64_t, std::uint64_t, F&& each) {
    Line(name, std::to_string(entries.size()));
    Nested([&] {
      for (std::uint32_t entry : entries.Entries()) each(entry);
    });
  }
  void Streamed(const char* name, const EntryStream& stream, std::size_t) { Line(name, std::to_string(stream.count)); }
  template <class E, class F>
  void Repeat(const char* name, std::vector<E>& entries, std::uint64_t entryBytes, F&& each) {
    Table(name, entries, entryBytes, each);
  }
  template <class... Slots>
  void Children(std::vector<RawAtom>& others, Slots&... slots) {
    (AtomSlot<Slots>::Each(slots, [&](auto& atom) { Atom(atom); }), ...);
    for (RawAtom& atom : others) Atom(atom);
  }
  template <class E>
  void CountedChildren(const char* name, std::vector<E>& entries) {
    Line(name, std::to_string(entries.size()));
    for (E& atom : entries) Atom(atom);
  }
  template <class A>
  void Atom(A& atom) {
    OSType type = AtomType(atom);
    Code("atom", type);
    Nested([&] { atom.Transfer(*this); });
  }

 private:
  template <class F>
  void Nested(F&& inner) {
    ++depth_;
    inner();
    --depth_;
  }
  void Line(const char* name, const std::string& value);

  std::string text_;
  int depth_ = 0;
};

template <class A>
std::string DumpOf(A& atom) {
  AtomDumper dumper;
  dumper.Atom(atom);
  return dumper.Text();
}
