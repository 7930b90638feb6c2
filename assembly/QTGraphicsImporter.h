#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/quicktime/QtComponents.h"

// The toolbox's graphics importer for one picture file: where the picture
// lies in the file and how the toolbox describes it, so that the file itself
// can become a video sample by reference.
class QTGraphicsImporter {
 public:
  QTGraphicsImporter() = default;
  ~QTGraphicsImporter() { Close(); }
  QTGraphicsImporter(const QTGraphicsImporter&) = delete;
  QTGraphicsImporter& operator=(const QTGraphicsImporter&) = delete;

  // Finds the importer for the file and copies its image description; the
  // messages name the step that failed.
  bool Open(const std::string& filePath);
  void Close();
  bool IsOpen() const { return importer != nullptr; }

  std::string path;
  GraphicsImportComponent importer = nullptr;
  std::vector<std::uint8_t> imageDescription;  // fixed fields in the host's byte order
};
