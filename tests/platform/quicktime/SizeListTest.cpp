#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "platform/quicktime/atoms/SizeList.h"

namespace {
std::uint32_t SizeAt(std::size_t i) { return std::uint32_t(i * 7919 % 1500 + 1); }

// `count` big-endian sizes from byte `at` of a file, read back as a table that remembers where they lie.
SharedVector<std::uint32_t> TableInFile(const std::string& path, std::size_t at, std::size_t count) {
  std::string bytes(at, 'x');
  for (std::size_t i = 0; i < count; ++i)
    for (int shift = 24; shift >= 0; shift -= 8) bytes += char(SizeAt(i) >> shift & 0xFF);
  MustRun("printf '' > " + Quote(path));
  const int fd = ::open(path.c_str(), O_WRONLY);
  EXPECT_EQ(::write(fd, bytes.data(), bytes.size()), ssize_t(bytes.size()));
  struct stat info;
  ::fstat(fd, &info);
  ::close(fd);
  std::vector<std::uint32_t> sizes(count);
  for (std::size_t i = 0; i < count; ++i) sizes[i] = SizeAt(i);
  SharedVector<std::uint32_t> table(std::move(sizes));
  table.SetOrigin(FileOrigin::Of(path, info), at);
  return table;
}
}  // namespace

TEST(SizeList, RangesPointIntoTheirFileAndReadBackInBlocks) {
  TempDir dir;
  const std::string path = dir.Path("sizes.bin");
  const SizeList read(TableInFile(path, 333, 40'000));
  SizeList joined;
  joined.AppendConstant(17, 3);
  joined.AppendRange(read, 100, 20'000);  // more than one block of the file
  joined.AppendRange(read, 39'990, 10);
  joined.AppendConstant(17, 2);
  joined.AppendConstant(0, 1);
  ASSERT_EQ(joined.size(), 20'016u);
  std::vector<std::uint32_t> expected(3, 17);
  for (std::size_t i = 100; i < 20'100; ++i) expected.push_back(SizeAt(i));
  for (std::size_t i = 39'990; i < 40'000; ++i) expected.push_back(SizeAt(i));
  expected.insert(expected.end(), {17, 17, 0});
  EXPECT_EQ(joined.Entries(), expected);

  // sums across runs and blocks, from inside a run
  SizeList::Reader reader(joined, 2);
  std::uint64_t bytes = 0;
  ASSERT_TRUE(reader.Sum(20'010, bytes));
  EXPECT_EQ(bytes, std::accumulate(expected.begin() + 2, expected.begin() + 20'012, std::uint64_t(0)));
  std::uint32_t size = 0;
  ASSERT_TRUE(reader.Next(size));
  EXPECT_EQ(size, expected[20'012]);

  SizeList again;  // a range of ranges
  again.AppendRange(joined, 5, 20'005);
  EXPECT_EQ(again.Entries(), std::vector<std::uint32_t>(expected.begin() + 5, expected.begin() + 20'010));

  SizeList cut = joined;
  cut.Truncate(20'004);
  EXPECT_EQ(cut.Entries(), std::vector<std::uint32_t>(expected.begin(), expected.begin() + 20'004));
  EXPECT_TRUE(SizeList(joined).SharesWith(joined));
  EXPECT_FALSE(cut.SharesWith(joined));

  // the joined list reads the file, not the table it was read into: a cut file fails in words
  MustRun("truncate -s 50000 " + Quote(path));
  EXPECT_EQ(read.Entries().size(), 40'000u);
  SizeList::Reader late(joined, 3);
  EXPECT_FALSE(late.Sum(20'000, bytes));
  EXPECT_EQ(late.Status(), eofErr);
  EXPECT_EQ(late.Why(), "source file \"" + path + "\" is shorter than its sample table says");
  EXPECT_TRUE(joined.Entries().empty());
}
