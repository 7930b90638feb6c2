#pragma once
#include <cstdio>

#include "platform/helper/StdStringList.h"
#include "platform/helper/UString.h"

// The commands pn and pi: a project skeleton "<baseName>.pod" in the current
// directory from the input audio files or images. An existing file is
// replaced only when `allowOverwrite` is set; the run ends otherwise.
bool PodFromAudioList(const StdStringList& files, bool allowOverwrite, const UString& baseName);
bool PodFromImageList(const StdStringList& files, bool allowOverwrite, long seconds, const UString& baseName);
// The command pc: "<baseName>.pod" that rebuilds the one chaptered file
// given, with its chapters and links as edit points. A file without
// chapters ends the run (status 2) and writes nothing.
bool PodFromChapterFile(const StdStringList& files, bool allowOverwrite, const UString& baseName);

// The writers behind them, on an open file. The audio writer stops at the
// first file it cannot take (false); the image writer passes over non-images.
bool PodFromAudioFiles(FILE* out, const UString& baseName, const StdStringList& files);
bool PodFromImageFiles(FILE* out, long seconds, const UString& baseName, const StdStringList& files);
// The project text for the chapters of `file`; false, with the reason on
// standard error, when it has none.
bool PodFromChapters(std::string& text, const UString& baseName, const UString& file);
