#include <gtest/gtest.h>

#include "TimedTextReader.h"
#include "formats/LinkSampleWriter.h"

namespace {
TextSampleSettings LinkSettings(std::int16_t font, std::int16_t size) {
  TextSampleSettings s;
  s.SetFontNumber(font);
  s.SetFontSize(size);
  return s;
}

std::uint32_t BigU32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return std::uint32_t(b[at]) << 24 | std::uint32_t(b[at + 1]) << 16 | std::uint32_t(b[at + 2]) << 8 | b[at + 3];
}
}  // namespace

TEST(LinkSampleWriter, DescriptionFromTheFirstLink) {
  TextSampleSettings first = LinkSettings(2, 300);  // only the low byte of the size fits
  first.Set("rgbtextcolor", "255 128 7");
  first.AddFont("Arial");
  first.AddFont("Georgia");
  const std::vector<std::uint8_t> bytes = LinkSampleWriter(first, 854, 480).Description();
  ASSERT_GT(bytes.size(), 46u);
  EXPECT_EQ(BigU32(bytes, 0), bytes.size());
  EXPECT_EQ(std::string(bytes.begin() + 4, bytes.begin() + 8), "tx3g");
  EXPECT_EQ(bytes[14] << 8 | bytes[15], 0);  // data reference index, left to the toolbox
  const TimedTextDescription d = ReadTimedTextDescription(std::span(bytes).subspan(16));
  ASSERT_TRUE(d.ok);
  EXPECT_EQ(d.displayFlags, 0u);
  EXPECT_EQ(d.horizontal, 1);
  EXPECT_EQ(d.vertical, -1);
  EXPECT_EQ(d.background[3], 0);  // transparent over the slide
  EXPECT_EQ(d.box, (QDRect{50, 0, 479, 844}));  // empty box: the frame's lower part
  EXPECT_EQ(d.style.startChar, 0);
  EXPECT_EQ(d.style.endChar, 0);
  EXPECT_EQ(d.style.fontId, 2);
  EXPECT_EQ(d.style.size, 300 & 0xFF);
  EXPECT_EQ(std::vector<std::uint8_t>(d.style.rgba, d.style.rgba + 4), (std::vector<std::uint8_t>{255, 128, 7, 255}));
  EXPECT_EQ(d.fonts, (std::vector<std::pair<std::uint16_t, std::string>>{{1, "Arial"}, {2, "Georgia"}}));

  TextSampleSettings boxed = LinkSettings(1, 18);
  boxed.SetTextBox(10, 20, 300, 60);
  const std::vector<std::uint8_t> plain = LinkSampleWriter(boxed, 640, 360).Description();
  const TimedTextDescription p = ReadTimedTextDescription(std::span(plain).subspan(16));
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.box, (QDRect{20, 10, 60, 300}));
  EXPECT_EQ(p.fonts, (std::vector<std::pair<std::uint16_t, std::string>>{{1, "Serif"}, {2, "Geneva"}}));
  EXPECT_EQ(std::vector<std::uint8_t>(p.style.rgba, p.style.rgba + 4), (std::vector<std::uint8_t>{0, 0, 0, 255}));
}

TEST(LinkSampleWriter, SamplesCarryTheirLinkAndOnlyTheLooksThatDiffer) {
  const TextSampleSettings first = LinkSettings(1, 18);
  const LinkSampleWriter writer(first, 640, 360);

  const std::string text = "Pr\xC3\xBC" "fung \xE2\x84\x96 5";  // 14 bytes, 11 characters
  const TimedTextSample same = ReadTimedTextSample(writer.Sample(text, "https://example.org/a", first));
  ASSERT_TRUE(same.ok);
  EXPECT_EQ(same.text, text);
  ASSERT_TRUE(same.href);
  EXPECT_EQ(same.href->startChar, 0);
  EXPECT_EQ(same.href->endChar, 11);
  EXPECT_EQ(same.href->link, "https://example.org/a");
  EXPECT_EQ(same.href->alternative, "");
  EXPECT_EQ(same.boxTypes, std::vector<std::string>{"href"});

  TextSampleSettings bigger = LinkSettings(1, 24);
  bigger.Set("rgbtextcolor", "0 0 255");
  bigger.SetTextBox(0, 300, 640, 360);
  const TimedTextSample differs = ReadTimedTextSample(writer.Sample("Shop", "http://s.example", bigger));
  ASSERT_TRUE(differs.ok);
  EXPECT_EQ(differs.boxTypes, (std::vector<std::string>{"href", "styl", "tbox"}));
  ASSERT_EQ(differs.styles.size(), 1u);
  EXPECT_EQ(differs.styles[0].endChar, 4);
  EXPECT_EQ(differs.styles[0].size, 24);
  EXPECT_EQ(std::vector<std::uint8_t>(differs.styles[0].rgba, differs.styles[0].rgba + 4),
            (std::vector<std::uint8_t>{0, 0, 255, 255}));
  EXPECT_EQ(differs.box, (QDRect{300, 0, 360, 640}));

  TextSampleSettings sameBoxAsDefault = LinkSettings(1, 18);
  sameBoxAsDefault.SetTextBox(0, 50, 630, 359);  // what the empty box stands for
  EXPECT_EQ(ReadTimedTextSample(writer.Sample("x", "y", sameBoxAsDefault)).boxTypes, std::vector<std::string>{"href"});
  EXPECT_EQ(ReadTimedTextSample(writer.Sample("x", "y", LinkSettings(3, 18))).boxTypes,
            (std::vector<std::string>{"href", "styl"}));

  const TimedTextSample cleared = ReadTimedTextSample(writer.Sample("", "", bigger));
  ASSERT_TRUE(cleared.ok);
  EXPECT_EQ(cleared.text, "");
  EXPECT_TRUE(cleared.boxTypes.empty());
}

TEST(LinkSampleWriter, LongLinksLongTextsAndControlCharacters) {
  const TextSampleSettings first = LinkSettings(1, 18);
  const LinkSampleWriter writer(first, 320, 240);
  const std::string fits = "http://e.example/" + std::string(255 - 17, 'a');
  const TimedTextSample longest = ReadTimedTextSample(writer.Sample("t", fits, first));
  ASSERT_TRUE(longest.ok && longest.href);
  EXPECT_EQ(longest.href->link, fits);
  EXPECT_TRUE(LinkSampleWriter::LinkFits(fits));
  EXPECT_FALSE(LinkSampleWriter::LinkFits(fits + "b"));
  const TimedTextSample tooLong = ReadTimedTextSample(writer.Sample("shown anyway", fits + "b", first));
  ASSERT_TRUE(tooLong.ok);
  EXPECT_EQ(tooLong.text, "shown anyway");
  EXPECT_FALSE(tooLong.href);

  std::string wide;
  for (int i = 0; i < 40000; ++i) wide += "\xC3\xA9";  // 80,000 bytes of two-byte characters
  const TimedTextSample cut = ReadTimedTextSample(writer.Sample(wide, "http://e.example", first));
  ASSERT_TRUE(cut.ok);
  EXPECT_EQ(cut.text.size(), 65534u);  // not through the middle of a character
  EXPECT_EQ(cut.href->endChar, 32767);

  const std::string control("a\x01\tb\x1F\x7F", 6);
  const TimedTextSample raw = ReadTimedTextSample(writer.Sample(control, "http://c.example", first));
  ASSERT_TRUE(raw.ok);
  EXPECT_EQ(raw.text, control);
  EXPECT_EQ(raw.href->endChar, 6);
}
