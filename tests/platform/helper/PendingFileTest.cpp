// A file written without a name takes it only when whole.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "platform/helper/PendingFile.h"

namespace {
std::string Listing(const std::string& folder) { return ReaderSays("ls -A " + Quote(folder)); }

void Put(const PendingFile& file, const std::string& bytes) {
  ASSERT_EQ(::write(file.Handle(), bytes.data(), bytes.size()), ssize_t(bytes.size()));
}
}  // namespace

TEST(PendingFile, TakesItsNameOnlyWhenWhole) {
  TempDir dir;
  const std::string out = dir.Write("out.bin", "the old bytes");
  {
    PendingFile file;
    ASSERT_TRUE(file.Open(out));
    Put(file, "new bytes, not yet whole");
    EXPECT_EQ(Listing(dir.path()), "out.bin\n");  // nothing to see while it is written
    EXPECT_EQ(ReadFile(out), "the old bytes");
  }  // dropped without Commit: the old file stays
  EXPECT_EQ(ReadFile(out), "the old bytes");
  EXPECT_EQ(Listing(dir.path()), "out.bin\n");

  PendingFile file;
  ASSERT_TRUE(file.Open(out));
  Put(file, std::string(70000, 'x'));
  ASSERT_TRUE(file.Commit());
  EXPECT_EQ(ReadFile(out), std::string(70000, 'x'));
  EXPECT_EQ(Listing(dir.path()), "out.bin\n");

  const std::string fresh = dir.Path("sub/fresh.bin");
  MustRun("mkdir " + Quote(dir.Path("sub")));
  const mode_t mask = ::umask(022);
  ASSERT_TRUE(file.Open(fresh));
  Put(file, "fresh");
  ASSERT_TRUE(file.Commit());
  ::umask(mask);
  struct stat info;
  ASSERT_EQ(::stat(fresh.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0644u);
  EXPECT_EQ(ReadFile(fresh), "fresh");
}

TEST(PendingFile, RefusalsCarryTheirReason) {
  TempDir dir;
  PendingFile file;
  EXPECT_FALSE(file.Open(dir.Path("missing/out.bin")));
  EXPECT_EQ(file.LastError(), ENOENT);
  EXPECT_FALSE(file.Open(dir.path()));  // a folder is never replaced
  EXPECT_EQ(file.LastError(), EISDIR);
  EXPECT_FALSE(file.Commit());
  EXPECT_EQ(Listing(dir.path()), "");

  EXPECT_EQ(FileErrorText(ENOSPC), "disk full");
  EXPECT_EQ(FileErrorText(EDQUOT), "disk full");
  EXPECT_EQ(FileErrorText(EROFS), "read-only file system");
  const std::string locked = dir.Write("locked.txt", "x");
  ::chmod(locked.c_str(), 0444);
  EXPECT_EQ(FileErrorText(EACCES, locked), "read-only file");
  EXPECT_EQ(FileErrorText(EACCES, dir.Path("other.txt")), "permission denied");
}
