#pragma once
#include <map>
#include <string>

#include "platform/helper/FileSystem.h"

class PodProject;

// The files a run reads, known by identity rather than by name, so that no
// file it writes takes the place of one of them under another name or link.
class OwnInputs {
 public:
  OwnInputs() = default;
  // The project's audio file, every edit point's audio file and image, the
  // default image and the artwork.
  explicit OwnInputs(const PodProject& project);

  void Add(const std::string& path);  // a path that names nothing is left out
  // False, naming both and saying what to do instead, when `output` is one of the inputs.
  bool Spares(const std::string& output, const std::string& remedy) const;

 private:
  std::map<FileIdentity, std::string> files_;
};
