#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>

// What a timed-text or QuickTime text sample says: its text as UTF-8 (stored
// as UTF-8, as UTF-16 behind a byte-order mark, or in Windows-1252) and the
// link of its 'href' box, when it has one.
class TextSampleReader {
 public:
  struct Content {
    std::string text;
    std::optional<std::string> link;
  };

  // Nothing when the sample is too short for the length it gives; boxes
  // after the text that cannot be read are passed over.
  static std::optional<Content> Read(std::span<const std::uint8_t> sample);

 private:
  static std::string TextOf(std::span<const std::uint8_t> stored);
  static std::optional<std::string> LinkOf(std::span<const std::uint8_t> boxes);
};
