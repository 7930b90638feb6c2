#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <string>
#include <vector>

#include "platform/quicktime/DescriptionByteOrder.h"
#include "platform/quicktime/Movies.h"
#include "platform/quicktime/TextSampleWriter.h"
#include "platform/quicktime/TrackEditor.h"
#include "platform/quicktime/model/MovieRecord.h"

namespace {
template <class T>
T HostAt(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  T value;
  std::memcpy(&value, bytes.data() + at, sizeof value);
  return value;
}

std::vector<std::uint8_t> Big(std::initializer_list<std::pair<std::uint64_t, int>> fields) {
  std::vector<std::uint8_t> out;
  for (auto [value, width] : fields)
    for (int i = width; i-- > 0;) out.push_back(std::uint8_t(value >> (8 * i)));
  return out;
}
}  // namespace

TEST(DescriptionByteOrder, SoundAndImageFieldsTurnAndTurnBack) {
  // a version 1 sound description followed by a big-endian extension atom
  std::vector<std::uint8_t> sound = Big({{60, 4}, {0x6D703461, 4}, {0, 4}, {0, 2}, {1, 2}, {1, 2}, {0, 2}, {0, 4},
                                         {2, 2}, {16, 2}, {0xFFFE, 2}, {0, 2}, {44100u << 16, 4},
                                         {1024, 4}, {0, 4}, {0, 4}, {2, 4}, {8, 4}, {0x65736473, 4}});
  const std::vector<std::uint8_t> file = sound;
  DescriptionByteOrder::ToHost(Tag("soun"), sound);
  EXPECT_EQ(HostAt<std::int32_t>(sound, 0), 60);
  EXPECT_EQ(HostAt<std::uint32_t>(sound, 4), Tag("mp4a"));
  EXPECT_EQ(HostAt<std::int16_t>(sound, 14), 1);
  EXPECT_EQ(HostAt<std::int16_t>(sound, 16), 1);
  EXPECT_EQ(HostAt<std::int16_t>(sound, 24), 2);
  EXPECT_EQ(HostAt<std::uint32_t>(sound, 32) >> 16, 44100u);
  EXPECT_EQ(HostAt<std::int32_t>(sound, 36), 1024);
  EXPECT_EQ(HostAt<std::int32_t>(sound, 48), 2);
  EXPECT_EQ(std::vector<std::uint8_t>(sound.begin() + 52, sound.end()), std::vector<std::uint8_t>(file.begin() + 52, file.end()));
  DescriptionByteOrder::ToFile(Tag("soun"), sound);
  EXPECT_EQ(sound, file);

  std::vector<std::uint8_t> image(86, 0);
  image[3] = 86;
  image[32] = 0x01;  // width 320, big-endian
  image[33] = 0x40;
  image[82] = 0;     // depth 24
  image[83] = 24;
  image[84] = 0xFF;  // clut -1
  image[85] = 0xFF;
  image[50] = 5;     // the name's length stays where it is
  const std::vector<std::uint8_t> imageFile = image;
  DescriptionByteOrder::ToHost(Tag("vide"), image);
  EXPECT_EQ(HostAt<std::int16_t>(image, 32), 320);
  EXPECT_EQ(HostAt<std::int16_t>(image, 82), 24);
  EXPECT_EQ(image[50], 5);
  DescriptionByteOrder::ToFile(Tag("vide"), image);
  EXPECT_EQ(image, imageFile);

  std::vector<std::uint8_t> text = Big({{20, 4}, {0x74783367, 4}, {0, 6}, {1, 2}, {7, 4}});
  const std::vector<std::uint8_t> textFile = text;
  DescriptionByteOrder::ToHost(Tag("text"), text);
  EXPECT_EQ(text, textFile);  // every other kind stands as it is
}

TEST(TextSampleWriter, Utf16BecomesUtf8AndEncdFollows) {
  // "Aé€😀" in UTF-16 big-endian with its mark, then the same little-endian
  const std::vector<std::uint8_t> big{0xFE, 0xFF, 0, 'A', 0, 0xE9, 0x20, 0xAC, 0xD8, 0x3D, 0xDE, 0x00};
  const std::vector<std::uint8_t> little{0xFF, 0xFE, 'A', 0, 0xE9, 0, 0xAC, 0x20, 0x3D, 0xD8, 0x00, 0xDE};
  const std::string utf8 = "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";
  for (const auto& text : {big, little}) {
    const std::vector<std::uint8_t> sample = TextSampleWriter::Sample(text.data(), text.size(), true);
    ASSERT_EQ(sample.size(), 2 + utf8.size() + 12);
    EXPECT_EQ(sample[1], utf8.size());
    EXPECT_EQ(std::string(sample.begin() + 2, sample.begin() + 2 + long(utf8.size())), utf8);
    EXPECT_EQ(std::string(sample.end() - 12, sample.end()), std::string("\0\0\0\x0C" "encd\0\0\x01\0", 12));
  }
  const std::vector<std::uint8_t> plain{'h', 'i'};
  EXPECT_EQ(TextSampleWriter::Sample(plain.data(), plain.size(), false), (std::vector<std::uint8_t>{0, 2, 'h', 'i'}));
  const std::vector<std::uint8_t> lone{0xFE, 0xFF, 0xDC, 0x00, 0, 'x'};  // a stray low surrogate
  EXPECT_EQ(TextSampleWriter::Utf8FromUtf16(lone.data() + 2, 4, true), "\xEF\xBF\xBDx");

  TextSampleWriter::Style style;
  style.justification = 1;
  style.fontSize = 12;
  const std::vector<std::uint8_t> description = TextSampleWriter::Description(style);
  EXPECT_EQ(description.size(), 59u);
  EXPECT_EQ(description[3], 59);
  EXPECT_EQ(std::string(description.begin() + 4, description.begin() + 8), "text");
  EXPECT_EQ(description[23], 1);  // justification
  EXPECT_EQ(description[51], 12);  // font size
}

TEST(TrackEditor, EditsSplitFillGapsAndFollowTheMovieClock) {
  MovieRecord movie;
  movie.timeScale = 600;
  TrackRecord& source = movie.AddTrack();
  source.media.type = Tag("text");
  source.media.timeScale = 600;
  source.media.dataRefs = {"/media/file"};
  source.media.descriptions = {std::vector<std::uint8_t>{0, 0, 0, 16, 't', 'e', 'x', 't', 0, 0, 0, 0, 0, 0, 0, 1}};
  source.media.samples.AppendSamples(0, 10, 600, 4, 1, true);  // four samples of a second
  source.edits = {{2400, 0, fixed1}};
  TrackRecord& dest = movie.AddTrack();
  dest.media.type = Tag("text");
  dest.media.timeScale = 600;
  TrackEditor editor(dest);

  ASSERT_EQ(editor.InsertSegment(source, 0, 1200, -1), noErr);        // seconds 0-2
  ASSERT_EQ(editor.InsertSegment(source, 1800, 600, 600), noErr);     // second 3, into the middle
  ASSERT_EQ(editor.InsertSegment(source, 0, 600, 6000), noErr);       // past the end: a gap first
  ASSERT_EQ(dest.edits.size(), 5u);
  EXPECT_EQ(dest.edits[0].trackDuration, 600u);
  EXPECT_EQ(dest.edits[0].mediaTime, 0);
  EXPECT_EQ(dest.edits[1].mediaTime, 1200);  // the inserted second lies after the first two in the media
  EXPECT_EQ(dest.edits[2].mediaTime, 600);   // the rest of the split edit
  EXPECT_EQ(dest.edits[3].mediaTime, -1);
  EXPECT_EQ(dest.edits[3].trackDuration, 6000u - 1800);
  EXPECT_EQ(dest.Duration(), 6600u);
  EXPECT_EQ(dest.media.samples.SampleCount(), 4u);
  EXPECT_EQ(dest.media.dataRefs, std::vector<std::string>{"/media/file"});
  EXPECT_EQ(dest.media.descriptions.size(), 1u);
  EXPECT_EQ(editor.InsertSegment(source, -1, 10, 0), invalidDuration);

  // what continues the last edit lengthens it; so does a gap after a gap
  ASSERT_EQ(editor.InsertMedia(-1, 2400, 600, fixed1), noErr);
  ASSERT_EQ(dest.edits.size(), 5u);
  EXPECT_EQ(dest.edits[4].trackDuration, 1200u);
  ASSERT_EQ(editor.InsertMedia(1200, -1, 300, fixed1), noErr);
  ASSERT_EQ(editor.InsertMedia(1200, -1, 300, fixed1), noErr);
  ASSERT_EQ(dest.edits.size(), 6u);
  EXPECT_EQ(dest.edits[2].trackDuration, 600u);
  EXPECT_EQ(dest.edits[2].mediaTime, -1);

  movie.SetTimeScale(1000);
  EXPECT_EQ(dest.Duration(), 13000u);
  EXPECT_EQ(source.edits[0].trackDuration, 4000u);
}

TEST(UserData, ItemsOfATypeStayTogetherInOrder) {
  std::vector<RawAtom> items;
  UserData data = &items;
  std::vector<std::uint8_t> one{1}, two{2}, three{3}, read;
  ASSERT_EQ(AddUserData(data, &one, Tag("\xA9nam")), noErr);
  ASSERT_EQ(AddUserData(data, &two, Tag("meta")), noErr);
  ASSERT_EQ(AddUserData(data, &three, Tag("\xA9nam")), noErr);
  EXPECT_EQ(CountUserDataType(data, Tag("\xA9nam")), 2);
  EXPECT_EQ(GetNextUserDataType(data, 0), Tag("\xA9nam"));
  EXPECT_EQ(GetNextUserDataType(data, Tag("\xA9nam")), Tag("meta"));
  EXPECT_EQ(GetNextUserDataType(data, Tag("meta")), 0u);
  ASSERT_EQ(GetUserData(data, &read, Tag("\xA9nam"), 2), noErr);
  EXPECT_EQ(read, three);
  EXPECT_EQ(RemoveUserData(data, Tag("\xA9nam"), 1), noErr);
  ASSERT_EQ(GetUserData(data, &read, Tag("\xA9nam"), 1), noErr);
  EXPECT_EQ(read, three);
  EXPECT_EQ(RemoveUserData(data, Tag("\xA9nam"), 2), userDataItemNotFound);
  EXPECT_EQ(GetUserData(data, &read, Tag("free"), 1), userDataItemNotFound);
}
