#pragma once
#include <string>

// A semaphore known by name to every process of the user. The first process
// to create it owns it until it ends; later ones learn that it already exists.
class NamedSemaphore {
 public:
  NamedSemaphore() = default;
  ~NamedSemaphore();
  NamedSemaphore(const NamedSemaphore&) = delete;
  NamedSemaphore& operator=(const NamedSemaphore&) = delete;

  // False when the semaphore cannot be made at all.
  bool Create(const std::string& name);
  // True when a running process had made it first.
  bool AlreadyExists() const { return alreadyExists_; }

 private:
  int fd_ = -1;
  bool alreadyExists_ = false;
};
