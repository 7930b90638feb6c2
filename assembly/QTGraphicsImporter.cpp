#include "assembly/QTGraphicsImporter.h"

#include <cstdio>

bool QTGraphicsImporter::Open(const std::string& filePath) {
  Close();
  path = filePath;
  FSSpec fileSpec;
  OSErr err = NativePathNameToFSSpec(path.c_str(), &fileSpec, 0);
  if (err != noErr) {
    std::printf("quicktime does not like the file path: (%d) %s\n", err, path.c_str());
    return false;
  }
  err = GetGraphicsImporterForFileWithFlags(&fileSpec, &importer, kGraphicsImporterDontUseFileExtensions);
  if (err != noErr) {
    std::printf("could not get graphics importer for file (%d) %s\n", err, path.c_str());
    importer = nullptr;
    return false;
  }
  ImageDescriptionHandle description = nullptr;
  err = GraphicsImportGetImageDescription(importer, &description);
  if (err != noErr || !description) {
    std::printf("unable to get image description for file (%d) %s\n", err, path.c_str());
    Close();
    return false;
  }
  imageDescription = *description;
  DisposeHandle(description);
  return true;
}

void QTGraphicsImporter::Close() {
  if (importer) CloseComponent(importer);
  importer = nullptr;
}
