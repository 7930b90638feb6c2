#pragma once
#include <cstdint>
#include <string>

#include "platform/quicktime/QtComponents.h"

class QTGraphicsImporter;
class QTTrack;
class TextSampleSettings;

// The media of one track.
class QTMedia {
 public:
  QTMedia(Media media, QTTrack* track, OSType mediaType) : media(media), track(track), mediaType(mediaType) {}

  // The data format of the first sample description, as four characters in
  // reading order; empty when there is none.
  std::string SoundFormat() const;
  // One chapter-style text sample (the text converted to UTF-16 with a
  // byte-order mark, 'encd' set); its time, or -1 on error. Null settings
  // mean the defaults.
  TimeValue AddTextSample(const std::string& text, std::size_t length, TimeValue duration,
                          const TextSampleSettings* settings);
  // The importer's picture file as one sample by reference, lasting
  // `duration`; the file becomes one of the media's data references.
  bool AddImageSample(const QTGraphicsImporter& importer, TimeValue duration);

  Media media = nullptr;
  QTTrack* track = nullptr;
  OSType mediaType = 0;
};

// A media's length as "%02d:%02d:%02d.%02d" (hours, minutes, seconds, then
// the rest in media units), and in whole seconds. The length is what the
// track presents of its media: a file's sound as it is heard.
std::string FormatMediaDuration(Media media);
TimeValue MediaDurationSeconds(Media media);
