#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "formats/BinStorage.h"
#include "formats/TextSampleSettings.h"

// The bytes of the link track: one 3GPP timed-text description ('tx3g')
// shared by every sample, made from the first link's settings, and one
// sample per link (its text, an 'href' box, and 'styl'/'tbox' boxes when the
// link looks different from the description). Numbers are big-endian.
class LinkSampleWriter {
 public:
  // The link length is one byte in the 'href' box.
  static constexpr std::size_t kMaxLinkBytes = 255;
  // The text length is 16 bits.
  static constexpr std::size_t kMaxTextBytes = 65535;

  LinkSampleWriter(const TextSampleSettings& described, std::int32_t frameWidth, std::int32_t frameHeight);

  std::vector<std::uint8_t> Description() const;
  // A link longer than kMaxLinkBytes gets no 'href' box (the text still
  // shows); a text longer than kMaxTextBytes is cut at a character boundary.
  std::vector<std::uint8_t> Sample(const std::string& text, const std::string& link,
                                   const TextSampleSettings& settings) const;

  static bool LinkFits(const std::string& link) { return link.size() <= kMaxLinkBytes; }

 private:
  // What a description or a 'styl'/'tbox' box says about the text's looks.
  struct Look {
    std::uint16_t fontId = 0;
    std::uint8_t fontSize = 0;
    std::uint8_t red = 0, green = 0, blue = 0;
    QDRect box;
    bool SameStyle(const Look& other) const;
  };

  Look LookOf(const TextSampleSettings& settings) const;
  static void AppendFontTable(BinStorage& out, const StdStringList& fonts);
  static void AppendStyleRecord(BinStorage& out, const Look& look, std::uint16_t endChar);
  static void AppendBox(BinStorage& out, const QDRect& box);
  static void AppendHref(BinStorage& out, const std::string& link, std::uint16_t endChar);
  static std::vector<std::uint8_t> BytesOf(const BinStorage& out);

  TextSampleSettings described_;
  std::int32_t frameWidth_, frameHeight_;
};
