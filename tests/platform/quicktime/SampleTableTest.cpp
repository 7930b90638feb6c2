#include <gtest/gtest.h>

#include "platform/quicktime/model/SampleTable.h"

namespace {
// Five samples of sizes 10..14 in two chunks (at 100 and 500), 1024 units each but the last (500).
SampleTable Varying() {
  SampleTable table;
  EXPECT_EQ(table.Assign({{4, 1024}, {1, 500}}, 0, 5, {10, 11, 12, 13, 14}, {{100, 3, 1}, {500, 2, 1}}, {}, {}, 1),
            noErr);
  return table;
}
}  // namespace

TEST(SampleTable, AssignRefusesTablesThatDisagree) {
  SampleTable table;
  EXPECT_EQ(table.Assign({{4, 1}}, 0, 5, {1, 1, 1, 1, 1}, {{0, 5, 1}}, {}, {}, 1), invalidSampleTable);
  EXPECT_EQ(table.Assign({{5, 1}}, 0, 5, {1, 1, 1}, {{0, 5, 1}}, {}, {}, 1), invalidSampleTable);
  EXPECT_EQ(table.Assign({{5, 1}}, 2, 5, {}, {{0, 4, 1}}, {}, {}, 1), invalidSampleTable);
  EXPECT_EQ(table.Assign({{5, 1}}, 2, 5, {}, {{0, 5, 2}}, {}, {}, 1), invalidSampleDescIndex);
  EXPECT_EQ(table.Assign({{5, 1}}, 2, 5, {}, {{0, 5, 1}}, {}, std::vector<std::uint32_t>{6}, 1), invalidSampleTable);
  // a billion PCM frames cost nothing
  EXPECT_EQ(table.Assign({{1'000'000'000, 1}}, 4, 1'000'000'000, {}, {{0, 1'000'000'000, 1}}, {}, {}, 1), noErr);
  EXPECT_TRUE(table.Sizes().empty());
}

TEST(SampleTable, RangesCarryOffsetsSizesAndTimes) {
  const SampleTable from = Varying();
  std::uint64_t sample = 0, start = 0;
  ASSERT_TRUE(from.Locate(2100, sample, start));
  EXPECT_EQ(sample, 2u);
  EXPECT_EQ(start, 2048u);
  EXPECT_FALSE(from.Locate(4596, sample, start));
  EXPECT_EQ(from.StartOf(5), 4596u);

  // samples 1..3 cross the chunk boundary: the second piece starts at the second chunk
  SampleTable to;
  to.AppendSamples(9000, 7, 1024, 2, 1, true);  // a constant size first, then varying sizes join
  to.AppendRange(from, 1, 3, [](std::uint32_t d) { return d + 1; }, 44100, 44100);
  EXPECT_EQ(to.SampleCount(), 5u);
  EXPECT_EQ(to.Duration(), 5u * 1024);
  EXPECT_EQ(to.Sizes().Entries(), (std::vector<std::uint32_t>{7, 7, 11, 12, 13}));
  ASSERT_EQ(to.Chunks().size(), 3u);
  EXPECT_EQ(to.Chunks()[1].offset, 110u);
  EXPECT_EQ(to.Chunks()[1].sampleCount, 2u);
  EXPECT_EQ(to.Chunks()[1].description, 2u);
  EXPECT_EQ(to.Chunks()[2].offset, 500u);

  // the last, shorter sample keeps its own duration; other scales are converted
  SampleTable tail;
  tail.AppendRange(from, 3, 2, [](std::uint32_t d) { return d; }, 44100, 22050);
  EXPECT_EQ(tail.Duration(), 512u + 250u);
}

TEST(SampleTable, SpansCoverEverySampleWithinChunks) {
  const SampleTable table = Varying();
  std::uint64_t samples = 0, bytes = 0;
  std::vector<std::uint64_t> offsets;
  table.ForEachSpan(2048, [&](const SampleTable::Span& span) {
    EXPECT_LE(span.duration, 2048u + 1023u);
    EXPECT_EQ(span.firstSample, samples);
    offsets.push_back(span.offset);
    samples += span.sampleCount;
    bytes += span.bytes;
    return true;
  });
  EXPECT_EQ(samples, 5u);
  EXPECT_EQ(bytes, 60u);
  EXPECT_EQ(offsets, (std::vector<std::uint64_t>{100, 121, 500}));

  SampleTable pcm;  // one span per half second of one-frame samples
  ASSERT_EQ(pcm.Assign({{44100, 1}}, 4, 44100, {}, {{0, 44100, 1}}, {}, {}, 1), noErr);
  int spans = 0;
  pcm.ForEachSpan(22050, [&](const SampleTable::Span& span) {
    EXPECT_EQ(span.bytes, 22050u * 4);
    ++spans;
    return true;
  });
  EXPECT_EQ(spans, 2);
}

TEST(SampleTable, SharedSizesAreCopiedOnlyByTheTableThatChanges) {
  const SampleTable source = Varying();
  SampleTable copy;
  ASSERT_EQ(copy.Assign({{5, 1024}}, 0, 5, source.Sizes(), {{900, 5, 1}}, {}, {}, 1), noErr);
  EXPECT_TRUE(copy.Sizes().SharesWith(source.Sizes()));  // one table for both

  copy.AppendSamples(5000, 99, 1024, 1, 1, true);
  SampleTable grown;
  ASSERT_EQ(grown.Assign({{5, 1024}}, 0, 5, source.Sizes(), {{900, 5, 1}}, {}, {}, 1), noErr);
  grown.AppendRange(source, 0, 2, [](std::uint32_t d) { return d; }, 44100, 44100);
  EXPECT_EQ(copy.Sizes().Entries(), (std::vector<std::uint32_t>{10, 11, 12, 13, 14, 99}));
  EXPECT_EQ(grown.Sizes().Entries(), (std::vector<std::uint32_t>{10, 11, 12, 13, 14, 10, 11}));
  EXPECT_EQ(source.Sizes().Entries(), (std::vector<std::uint32_t>{10, 11, 12, 13, 14}));
  EXPECT_FALSE(copy.Sizes().SharesWith(source.Sizes()));

  // sizes left big-endian in the bytes read from a file: read in place, and left there when more are appended
  const auto file = std::make_shared<const std::vector<std::uint8_t>>(
      std::vector<std::uint8_t>{0xEE, 0, 0, 0, 10, 0, 0, 1, 11, 0, 0, 0, 12, 0xEE});
  SampleTable read;
  ASSERT_EQ(read.Assign({{3, 1024}}, 0, 3, SharedVector<std::uint32_t>(file, 1, 3), {{100, 3, 1}}, {}, {}, 1), noErr);
  std::uint32_t size = 0;
  EXPECT_EQ(read.SampleSize(1, size), noErr);
  EXPECT_EQ(size, 267u);
  std::uint64_t spanned = 0;
  read.ForEachSpan(1 << 20, [&](const SampleTable::Span& span) {
    spanned += span.bytes;
    return true;
  });
  EXPECT_EQ(spanned, 10u + 267 + 12);
  SampleTable part;
  part.AppendRange(read, 1, 2, [](std::uint32_t d) { return d; }, 44100, 44100);
  read.AppendSamples(900, 5, 1024, 1, 1, true);
  EXPECT_EQ(part.Sizes().Entries(), (std::vector<std::uint32_t>{267, 12}));
  EXPECT_EQ(read.Sizes().Entries(), (std::vector<std::uint32_t>{10, 267, 12, 5}));
}

TEST(SampleTable, ZeroByteSamplesAlwaysGetTheirSizeEntries) {
  // after varying sizes: every sample keeps an entry, so reading the last ones stays inside the table
  SampleTable table = Varying();
  table.AppendSamples(7000, 0, 512, 3, 1, true);
  ASSERT_EQ(table.SampleCount(), 8u);
  std::uint64_t bytes = 0;
  table.ForEachSpan(1 << 20, [&](const SampleTable::Span& span) {  // reads every sample's size
    bytes += span.bytes;
    return true;
  });
  EXPECT_EQ(bytes, 60u);
  std::uint32_t size = 1;
  EXPECT_EQ(table.SampleSize(7, size), noErr);
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(table.Sizes().Entries().size(), 8u);

  // zero bytes first: a constant size of 0 would read as "sizes listed", so they are listed too
  SampleTable empty;
  empty.AppendSamples(0, 0, 600, 2, 1, true);
  empty.AppendSamples(40, 9, 600, 1, 1, true);
  EXPECT_EQ(empty.Sizes().Entries(), (std::vector<std::uint32_t>{0, 0, 9}));
  EXPECT_EQ(empty.ConstantSize(), 0u);
}
