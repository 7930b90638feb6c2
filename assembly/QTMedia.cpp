#include "assembly/QTMedia.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "assembly/QTGraphicsImporter.h"
#include "formats/TextSampleSettings.h"
#include "platform/helper/TextEncoding.h"

std::string QTMedia::SoundFormat() const {
  if (!media || GetMediaSampleDescriptionCount(media) < 1) return std::string();
  std::vector<std::uint8_t> description;
  GetMediaSampleDescription(media, 1, &description);
  if (GetMoviesError() != noErr || description.size() < 8) return std::string();
  std::uint32_t format = 0;
  std::memcpy(&format, description.data() + 4, sizeof format);
  if (mediaType != Tag("soun") && mediaType != Tag("vide"))  // other descriptions stand as the file holds them
    format = std::uint32_t(description[4]) << 24 | description[5] << 16 | description[6] << 8 | description[7];
  return TagText(format);
}

TimeValue QTMedia::AddTextSample(const std::string& text, std::size_t length, TimeValue duration,
                                 const TextSampleSettings* settings) {
  const TextSampleSettings defaults;
  const TextSampleSettings& s = settings ? *settings : defaults;
  const std::string wide = StrToWideCharBOM(std::string_view(text).substr(0, length));
  const std::uint32_t unicode = kTextEncodingUnicodeDefault;
  TextMediaSetTextProperty(GetMediaHandler(media), 0, kTextEncodingPropertyType, &unicode, sizeof unicode);
  TimeValue sampleTime = 0;
  const OSErr err = TextMediaAddTextSample(GetMediaHandler(media), wide.data(), wide.size(), s.fontNumber, s.fontSize,
                                           s.textFace, s.textColorRef, s.backColorRef, s.textJustification, &s.textBox,
                                           s.displayFlags, s.scrollDelay, s.hiliteStart, s.hiliteEnd, s.hiliteColorRef,
                                           duration, &sampleTime);
  return err != noErr ? -1 : sampleTime;
}

bool QTMedia::AddImageSample(const QTGraphicsImporter& importer, TimeValue duration) {
  Handle dataRef = nullptr;
  OSType dataRefType = 0;
  OSErr err = GraphicsImportGetDataReference(importer.importer, &dataRef, &dataRefType);
  if (err != noErr) {
    std::printf("unable to get data reference %d\n", err);
    return false;
  }
  short index = 0;
  err = AddMediaDataRef(media, &index, dataRef, dataRefType);
  DisposeHandle(dataRef);
  if (err != noErr) {
    std::printf("unable to add media data reference %d\n", err);
    return false;
  }
  std::vector<std::uint8_t> description = importer.imageDescription;
  if (description.size() < 16) return false;
  std::memcpy(description.data() + 14, &index, sizeof index);  // host order, as the toolbox hands it out
  unsigned long offset = 0, size = 0;
  if (GraphicsImportGetDataOffsetAndSize(importer.importer, &offset, &size) != noErr) return false;
  return AddMediaSampleReference(media, long(offset), size, duration, &description, 1, 0, nullptr) == noErr;
}

std::string FormatMediaDuration(Media media) {
  const std::int64_t scale = GetMediaTimeScale(media), duration = GetMediaPresentedDuration(media);
  const std::int64_t total = scale > 0 ? duration / scale : 0, rest = duration - total * scale;
  const std::int64_t minutesTotal = total / 60, hours = minutesTotal / 60;
  const std::int64_t minutes = minutesTotal - hours * 60, seconds = total - minutesTotal * 60;
  char text[96];
  std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld.%02lld", (long long)hours, (long long)minutes,
                (long long)seconds, (long long)rest);
  return text;
}

TimeValue MediaDurationSeconds(Media media) {
  const TimeValue scale = GetMediaTimeScale(media);
  return scale > 0 ? GetMediaPresentedDuration(media) / scale : 0;
}
