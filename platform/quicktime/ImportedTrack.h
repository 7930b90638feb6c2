#pragma once
#include "platform/quicktime/QtTypes.h"
#include "platform/quicktime/import/ImportedMedia.h"
#include "platform/quicktime/model/MovieRecord.h"

// Turns what an importer found in a media file into a track of a movie, the
// samples still in that file, presented whole from time 0 or, when the file
// names its encoder's delay and padding, only the part that is heard.
class ImportedTrack {
 public:
  static OSErr AddTo(MovieRecord& movie, const ImportedMedia& imported);
};
