#pragma once
#include <cstdint>
#include <string>

#include "assembly/QTMovie.h"
#include "project/ScaledTime.h"

// Silence taken from the padding movies of the program folder: the file for
// a sample rate is "<program folder><silence>30ss<rate>.mp4".

// What the track presents of its media, in the movie's time scale (truncated).
std::int64_t MediaDurationInMovieScale(const QTMovie& movie, const QTTrack& track);
// Appends `gap` of silence to the sound track; nothing when the padding file
// cannot be had (reported).
void InsertSilence(QTTrack& track, const ScaledTime& gap, const std::string& silence);
// Appends silence until the sound track presents `target`; the track, or null
// when the padding file cannot be had (reported).
QTTrack* PadWithSilence(const QTMovie& movie, const ScaledTime& target, QTTrack& track, const std::string& silence);
