#pragma once
#include <cstddef>
#include <initializer_list>
#include <memory>
#include <utility>
#include <vector>

// A large table that several holders read and one at a time may change: the
// movie read from a file, the atoms written from it and the movie read back
// from them hold one copy between them; whoever changes it first takes its
// own. Changes come only through Change(), so no holder sees another's edits.
template <class E>
class SharedVector {
 public:
  SharedVector() = default;
  // Implicit, so that a plain vector can be handed wherever one is taken.
  SharedVector(std::vector<E> entries)
      : entries_(entries.empty() ? nullptr : std::make_shared<std::vector<E>>(std::move(entries))) {}
  SharedVector(std::initializer_list<E> entries) : SharedVector(std::vector<E>(entries)) {}

  const std::vector<E>& Get() const { return entries_ ? *entries_ : Empty(); }
  std::size_t size() const { return Get().size(); }
  bool empty() const { return Get().empty(); }
  const E& operator[](std::size_t index) const { return Get()[index]; }

  std::vector<E>& Change() {
    if (!entries_)
      entries_ = std::make_shared<std::vector<E>>();
    else if (entries_.use_count() > 1)
      entries_ = std::make_shared<std::vector<E>>(*entries_);
    return *entries_;
  }

 private:
  static const std::vector<E>& Empty() {
    static const std::vector<E> none;
    return none;
  }

  std::shared_ptr<std::vector<E>> entries_;
};
