#pragma once
#include "platform/helper/UString.h"

// The build commands qv, qb, q4, qm and a lone project file: the project made into a movie.
bool BuildPodFile(const UString& podPath, const UString& audioFilePath, const UString& destPath,
                  const UString& extension);
