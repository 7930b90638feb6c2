#include <sys/file.h>
#include <sys/stat.h>
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "formats/FtypHeader.h"

namespace {
const std::string kTail = "\0\0\0\x08" "free";

// A file whose first atom is an 'ftyp' of `size` bytes (type spelled `type`), then a free atom.
std::string Ftyp(std::uint32_t size, const char* type = "ftyp") {
  std::string atom{char(size >> 24), char(size >> 16), char(size >> 8), char(size)};
  atom += type;
  atom += "isom";
  while (atom.size() < size) atom += char(0x11);
  return atom.substr(0, std::max<std::size_t>(size, 8)) + kTail;
}

std::string M4AFull() { return std::string("\0\0\0\x20" "ftypM4A \0\0\0\0M4A mp42isom\0\0\0\0", 32); }
}  // namespace

TEST(FtypHeader, M4AWriterAtEverySize) {
  TempDir dir;
  struct Case { std::uint32_t size; std::string expected; };
  const Case cases[] = {
      {32, M4AFull()},
      {40, std::string("\0\0\0\x28", 4) + M4AFull().substr(4) + "ZZZZZZZZ"},
      {28, std::string("\0\0\0\x1C" "ftypM4A ", 12) + std::string(16, '\0')},
      {20, std::string("\0\0\0\x14" "ftypM4A ", 12) + std::string(8, '\0')},
      {12, std::string("\0\0\0\x0C" "ftypM4A ", 12)},
  };
  for (const Case& c : cases) {
    const std::string path = dir.Write("a.m4a", Ftyp(c.size));
    ASSERT_TRUE(WriteM4AHeader(path)) << c.size;
    EXPECT_EQ(ReadFile(path), c.expected + kTail) << c.size;
  }
  const std::string upper = dir.Write("u.m4a", Ftyp(32, "FTYP"));
  ASSERT_TRUE(WriteM4AHeader(upper));
  EXPECT_EQ(ReadFile(upper), M4AFull() + kTail);
}

TEST(FtypHeader, RefusedAtomsLeaveTheFileAlone) {
  TempDir dir;
  testing::internal::CaptureStdout();
  for (const std::string& bytes : {Ftyp(11), Ftyp(32, "moov"), Ftyp(4000).substr(0, 40)}) {
    const std::string path = dir.Write("r.m4a", bytes);
    EXPECT_TRUE(WriteM4AHeader(path));  // opened and mapped: only the message tells
    EXPECT_EQ(ReadFile(path), bytes);
  }
  const std::string m4v = dir.Write("v.m4v", Ftyp(24));
  EXPECT_TRUE(WriteM4VHeader(m4v));
  EXPECT_EQ(ReadFile(m4v), Ftyp(24));
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "'ftyp' atom is shorter than the file header we want to write\n"
            "  this is fixable but not currently implemented\n"
            "file does not begin with an 'ftyp' atom\n"
            "'ftyp' atom runs past the end of the file\n"
            "'ftyp' atom is shorter than the file header we want to write\n"
            "  this is fixable but not currently implemented\n");

  EXPECT_FALSE(WriteM4AHeader(dir.Write("empty.m4a", "")));
  EXPECT_FALSE(WriteM4AHeader(dir.Path("missing.m4a")));
  EXPECT_FALSE(WriteMovHeader(dir.path()));

  const std::string readOnly = dir.Write("ro.m4a", Ftyp(32));
  chmod(readOnly.c_str(), 0444);
  EXPECT_FALSE(WriteM4AHeader(readOnly));

  const std::string locked = dir.Write("locked.m4a", Ftyp(32));
  const int fd = open(locked.c_str(), O_RDONLY);
  ASSERT_EQ(flock(fd, LOCK_SH), 0);  // someone else has it open
  EXPECT_FALSE(WriteM4AHeader(locked));
  close(fd);
  EXPECT_EQ(ReadFile(locked), Ftyp(32));
}

TEST(FtypHeader, M4VAndMovWriters) {
  TempDir dir;
  const std::string m4v = dir.Write("a.m4v", Ftyp(32));
  ASSERT_TRUE(WriteM4VHeader(m4v));
  EXPECT_EQ(ReadFile(m4v), std::string("\0\0\0\x20" "ftypM4V \0\0\0\x01M4V M4A mp42isom", 32) + kTail);

  const std::string mov = dir.Write("a.mov", Ftyp(20));
  ASSERT_TRUE(WriteMovHeader(mov));
  EXPECT_EQ(ReadFile(mov), std::string("\0\0\0\x14" "ftypqt  \0\0\0\0\0\0\0\0", 20) + kTail);
}
