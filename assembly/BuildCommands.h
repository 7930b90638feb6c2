#pragma once
#include "platform/helper/UString.h"

class PodProject;
class QTSlideshow;

// The build commands qv, qb, q4, qm and a lone project file: the project made
// into a movie. `extension` is empty for a lone project; `dumpProject` shows
// the loaded project on standard output first. Ends the run itself on bad input.
bool BuildPodFile(const UString& podPath, const UString& audioFilePath, const UString& destPath,
                  const UString& extension, bool dumpProject = false);
// The audio files of the sections joined end to end, each section placed
// where its file is first heard; false (nothing written) on the first bad file.
bool BuildAudioBook(PodProject& project, const UString& destPath, const UString& extension);
// The project's track lists handed to the movie builder; its result.
bool AssembleFromEditPoints(QTSlideshow& slideshow, PodProject& project);
