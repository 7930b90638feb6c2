// Text media samples and the media handler's drawing mode.
#include <cstring>

#include "platform/quicktime/QtComponents.h"
#include "platform/quicktime/TextSampleWriter.h"
#include "platform/quicktime/ToolboxState.h"
#include "platform/quicktime/model/MovieRecord.h"

namespace {
OSErr Done(OSErr err) { return ToolboxState::Result(err); }
}  // namespace

OSErr TextMediaSetTextProperty(MediaHandler handler, TimeValue, long propertyType, const void* data, long dataSize) {
  if (!handler) return Done(invalidMedia);
  if (propertyType != kTextEncodingPropertyType || !data || dataSize != 4) return Done(paramErr);
  std::uint32_t encoding = 0;
  std::memcpy(&encoding, data, sizeof encoding);
  handler->unicodeText = encoding == kTextEncodingUnicodeDefault;
  return Done(noErr);
}

OSErr TextMediaAddTextSample(MediaHandler handler, const void* text, unsigned long size, short fontNumber,
                             short fontSize, std::uint8_t textFace, const RGBColor* textColor,
                             const RGBColor* backColor, short textJustification, const QDRect* textBox,
                             long displayFlags, TimeValue, short, short, const RGBColor*, TimeValue duration,
                             TimeValue* sampleTime) {
  if (!handler) return Done(invalidMedia);
  if (!text && size > 0) return Done(paramErr);
  TextSampleWriter::Style style{.displayFlags = std::int32_t(displayFlags), .justification = textJustification,
                                .background = backColor ? *backColor : RGBColor{0xFFFF, 0xFFFF, 0xFFFF},
                                .foreground = textColor ? *textColor : RGBColor{},
                                .box = textBox ? *textBox : QDRect{},
                                .fontNumber = fontNumber, .fontSize = fontSize, .face = textFace};
  std::vector<std::uint8_t> description = TextSampleWriter::Description(style);
  std::vector<std::uint8_t> sample =
      TextSampleWriter::Sample(static_cast<const std::uint8_t*>(text), size, handler->unicodeText);
  return AddMediaSample(handler, &sample, 0, sample.size(), duration, &description, 1, 0, sampleTime);
}

OSErr MediaSetGraphicsMode(MediaHandler handler, long mode, const RGBColor* opColor) {
  if (!handler) return Done(invalidMedia);
  handler->graphicsMode = std::uint16_t(mode);
  if (opColor) handler->opColor = {opColor->red, opColor->green, opColor->blue};
  return Done(noErr);
}
