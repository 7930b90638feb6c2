#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "platform/quicktime/QtTypes.h"

// A movie's own new file, where the samples it adds itself are appended. It
// loses its name as soon as it is open, so that nothing is left of it however
// the program ends; its samples are reached again through the open file,
// under the name it had, for as long as anyone holds it.
class WorkingFile {
 public:
  // Opens the file at `path` (made when missing, emptied when `replace`)
  // and takes its name away; `why` tells a failure in plain words.
  static OSErr Create(const std::string& path, bool replace, std::shared_ptr<WorkingFile>& file, std::string& why);
  ~WorkingFile();
  WorkingFile(const WorkingFile&) = delete;
  WorkingFile& operator=(const WorkingFile&) = delete;

 private:
  WorkingFile(std::string path, int fd) : path_(std::move(path)), fd_(fd) {}
  friend class MovieStorage;
  std::string path_;
  int fd_;
};

// The storage of a movie: its file, by name, or its working file.
class MovieStorage {
 public:
  explicit MovieStorage(std::string path, std::shared_ptr<WorkingFile> working = nullptr)
      : path_(std::move(path)), working_(std::move(working)) {}
  const std::string& Path() const { return path_; }
  // Appends bytes to the file; `offset` receives where they start.
  static OSErr Append(const std::string& path, const std::uint8_t* bytes, std::uint64_t count, std::uint64_t& offset);
  // A descriptor for reading the samples behind `path`, a working file's
  // included; -1 with errno set when there is none.
  static int OpenForReading(const std::string& path);

 private:
  std::string path_;
  std::shared_ptr<WorkingFile> working_;
};
