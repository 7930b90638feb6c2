#pragma once
#include "platform/quicktime/Movies.h"

// The progress procedure of the output's flatten: one "!" on standard output
// per call and, when standard error is a terminal, the share done there too.
OSErr FlattenProgress(Movie movie, short message, short operation, Fixed percentDone, long refCon);
