#pragma once
#include "platform/helper/UString.h"

class JOB;

// The commands pn and pi: a project skeleton from the input audio files or images.
bool PodFromAudioList(JOB& job, const UString& baseName);
bool PodFromImageList(JOB& job, long seconds, const UString& baseName);
