#pragma once
#include <span>

#include "platform/quicktime/import/ByteSource.h"
#include "platform/quicktime/import/ImportedMedia.h"

// The parsers behind the importers, on any byte source (a file, or memory
// for the fuzzer). `Recognises` looks only at a file's first bytes (and, for
// MPEG streams, at its first two frame headers); `Parse` fills every field of
// the media but its path.
namespace mediaimport {

bool RecognisesWav(ByteSource& source);
ImportErr ParseWav(ByteSource& source, ImportedMedia& media);
bool RecognisesAiff(ByteSource& source);
ImportErr ParseAiff(ByteSource& source, ImportedMedia& media);
bool RecognisesMp3(ByteSource& source);
ImportErr ParseMp3(ByteSource& source, ImportedMedia& media);
bool RecognisesAdts(ByteSource& source);
ImportErr ParseAdts(ByteSource& source, ImportedMedia& media);
bool RecognisesJpeg(ByteSource& source);
ImportErr ParseJpeg(ByteSource& source, ImportedMedia& media);
bool RecognisesPng(ByteSource& source);
ImportErr ParsePng(ByteSource& source, ImportedMedia& media);

struct MediaParser {
  MediaImporterInfo info;
  bool (*recognises)(ByteSource&);
  ImportErr (*parse)(ByteSource&, ImportedMedia&);
};
std::span<const MediaParser> MediaParsers();

// The first parser that recognises the source; NotMovieFile when none does.
// On failure `media` is left empty.
ImportErr ParseAnyMedia(ByteSource& source, ImportedMedia& media, bool graphicsOnly);

}  // namespace mediaimport
