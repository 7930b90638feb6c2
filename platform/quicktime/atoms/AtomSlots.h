#pragma once
#include <optional>
#include <vector>

#include "platform/quicktime/QtTypes.h"

// How an atom kind and a container meet. An atom kind names its type in
// kType, or answers Accepts/Type/SetType when one kind stands for several
// types. A container holds each child kind in a slot: a plain member is
// required and single, std::optional is single, std::vector takes any number.

template <class A>
bool AtomAccepts(OSType type) {
  if constexpr (requires { A::Accepts(type); })
    return A::Accepts(type);
  else
    return type == A::kType;
}

template <class A>
OSType AtomType(const A& atom) {
  if constexpr (requires { atom.Type(); })
    return atom.Type();
  else
    return A::kType;
}

template <class A>
void AtomTakeType(A& atom, OSType type) {
  if constexpr (requires { atom.SetType(type); }) atom.SetType(type);
}

// Versions, widths and counts that follow from the values settle here, before
// the atom is measured or written.
template <class A>
void AtomPrepare(A& atom) {
  if constexpr (requires { atom.Prepare(); }) atom.Prepare();
}

template <class T>
struct AtomSlot {
  using Atom = T;
  static constexpr bool kRequired = true;
  static T& Add(T& slot) { return slot; }
  template <class F>
  static void Each(T& slot, F&& fn) { fn(slot); }
};

template <class T>
struct AtomSlot<std::optional<T>> {
  using Atom = T;
  static constexpr bool kRequired = false;
  static T& Add(std::optional<T>& slot) { return slot.emplace(); }
  static void DropLast(std::optional<T>& slot) { slot.reset(); }
  template <class F>
  static void Each(std::optional<T>& slot, F&& fn) {
    if (slot) fn(*slot);
  }
};

template <class T>
struct AtomSlot<std::vector<T>> {
  using Atom = T;
  static constexpr bool kRequired = false;
  static T& Add(std::vector<T>& slot) { return slot.emplace_back(); }
  static void DropLast(std::vector<T>& slot) { slot.pop_back(); }
  template <class F>
  static void Each(std::vector<T>& slot, F&& fn) {
    for (T& atom : slot) fn(atom);
  }
};

template <class S>
constexpr bool kSlotIsList = false;
template <class T>
constexpr bool kSlotIsList<std::vector<T>> = true;

// Atom kinds that say how a tolerant reader treats them: a second one of a
// kind that merges is read into the first ('udta'); inside one whose children
// must all be whole, nothing damaged is skipped (the sample tables).
template <class A>
constexpr bool kMergesRepeats = requires { A::kMergesRepeats; };
template <class A>
constexpr bool kChildrenMustBeWhole = requires { A::kChildrenMustBeWhole; };
