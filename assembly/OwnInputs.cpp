#include "assembly/OwnInputs.h"

#include "platform/helper/ErrorPrintf.h"
#include "project/EditPointAudio.h"
#include "project/EditPointImage.h"
#include "project/PodProject.h"

OwnInputs::OwnInputs(const PodProject& project) {
  Add(project.audioFile);
  Add(project.defaultImage);
  for (const UString& file : project.artwork) Add(file);
  for (const EditPoint* point : project.editPoints.Items()) {
    if (const auto* audio = dynamic_cast<const EditPointAudio*>(point)) Add(audio->file);
    if (const auto* image = dynamic_cast<const EditPointImage*>(point)) Add(image->file);
  }
}

void OwnInputs::Add(const std::string& path) {
  FileIdentity identity;
  if (GetFileIdentity(path, identity)) files_.emplace(identity, path);
}

bool OwnInputs::Spares(const std::string& output, const std::string& remedy) const {
  FileIdentity identity;
  if (!GetFileIdentity(output, identity)) return true;
  const auto input = files_.find(identity);
  if (input == files_.end()) return true;
  ErrorPrintf("the output \"%s\" is the input \"%s\"; %s\n", output.c_str(), input->second.c_str(), remedy.c_str());
  return false;
}
