#pragma once
#include <string>

// A file written without a name in the folder it is meant for, and given its
// name only once it is whole. Until Commit, a failure, a crash or a kill
// leaves nothing behind, and an existing file of that name stays as it was.
// Where the file system cannot hold a file without a name, a hidden
// temporary name stands in, removed on every road but success (a kill
// included: it is one of the run's temporary files).
class PendingFile {
 public:
  PendingFile() = default;
  ~PendingFile() { Discard(); }
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  // Opens the file for reading and writing in the folder of `destination`.
  bool Open(const std::string& destination);
  int Handle() const { return fd_; }
  // Appends every byte; false (the file forgotten) when they cannot all be written.
  bool Write(const std::string& bytes);
  // Sends every byte to the disk, then names the file `destination`,
  // replacing any file of that name at once.
  bool Commit();
  // Forgets what was written; nothing stays on disk.
  void Discard();
  // Lets `count` more files be pending at once, each holding a descriptor:
  // the process's limit of open files is raised as far as it may be.
  static bool MakeRoomFor(std::size_t count);
  int LastError() const { return error_; }  // errno of the last failure
  const std::string& Destination() const { return destination_; }

 private:
  bool Fail(int error);
  bool OpenNamed(const std::string& folder);
  bool LinkInPlace();

  std::string destination_;
  std::string named_;  // the stand-in name, when the file has one
  int fd_ = -1;
  int error_ = 0;
};

// What an errno means to someone whose file was not written: "disk full",
// "permission denied", "read-only file system", ...
std::string FileErrorText(int error);
// The same for a failure on the file `path`: a file without write permission
// is a "read-only file".
std::string FileErrorText(int error, const std::string& path);

// Standard output goes to `path` from here on. The file gets its name when
// output moves on to another file or the program ends, and only when every
// byte reached it; otherwise a line on standard error says why it was not
// written. False, with the errno in `error`, when it cannot be opened.
bool RedirectOutputWhenWhole(const std::string& path, int& error);
