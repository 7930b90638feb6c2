#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "platform/quicktime/QuickDrawTypes.h"

// A reader of 3GPP timed text ('tx3g') for the tests, on the toolbox's
// bounded atom reader: what a link sample and its description say.

struct TimedTextStyle {
  std::uint16_t startChar = 0, endChar = 0, fontId = 0;
  std::uint8_t face = 0, size = 0;
  std::uint8_t rgba[4] = {};
};

struct TimedTextSample {
  bool ok = false;
  std::string text;
  struct Href {
    std::uint16_t startChar = 0, endChar = 0;
    std::string link, alternative;
  };
  std::optional<Href> href;
  std::vector<TimedTextStyle> styles;  // from 'styl'
  std::optional<QDRect> box;           // from 'tbox'
  std::vector<std::string> boxTypes;   // the boxes after the text, in order
};

struct TimedTextDescription {
  bool ok = false;
  std::uint32_t displayFlags = 0;
  std::int8_t horizontal = 0, vertical = 0;
  std::uint8_t background[4] = {};
  QDRect box;
  TimedTextStyle style;
  std::vector<std::pair<std::uint16_t, std::string>> fonts;
};

TimedTextSample ReadTimedTextSample(std::span<const std::uint8_t> bytes);
// From the display flags on: the description without its 16-byte entry
// header, as ffprobe gives it as extradata.
TimedTextDescription ReadTimedTextDescription(std::span<const std::uint8_t> bytes);
// The sample's bytes from ffprobe's hex dump of a packet's data.
std::vector<std::vector<std::uint8_t>> PacketsOf(const std::string& path, const std::string& streamSelector);
// The description of a file's first subtitle stream, as ffprobe gives it.
TimedTextDescription SubtitleDescriptionOf(const std::string& path);
