// Outputs of the real program appear whole or not at all, however a run ends,
// and every file it cannot write is told in plain words.
#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace {
namespace fs = std::filesystem;

// The names in a folder, hidden ones included, one per line.
std::string Listing(const std::string& folder) { return ReaderSays("ls -A " + Quote(folder)); }

std::set<std::string> Names(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename());
  return names;
}

// The names in a folder once they are `expected`, or after two seconds: the
// watcher of a stopped run clears its temporary files just after it ends.
std::set<std::string> Settled(const std::string& folder, const std::set<std::string>& expected) {
  for (int tries = 0; tries < 200 && Names(folder) != expected; ++tries)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return Names(folder);
}

// A file system of its own for a test (a small tmpfs, or one that is read
// only), taken away at the end; empty `error` when it could be mounted.
class Mount {
 public:
  Mount(const std::string& folder, const std::string& options) : folder_(folder) {
    fs::create_directories(folder);
    if (::mount("tolva-test", folder.c_str(), "tmpfs", 0, options.c_str()) == 0)
      mounted_ = true;
    else
      error_ = std::strerror(errno);
  }
  ~Mount() {
    if (mounted_) ::umount2(folder_.c_str(), MNT_DETACH);
  }
  const std::string& Error() const { return error_; }
  void MakeReadOnly() { ::mount(nullptr, folder_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr); }

 private:
  std::string folder_, error_;
  bool mounted_ = false;
};

#define SKIP_UNLESS_MOUNTED(m) \
  if (!(m).Error().empty()) GTEST_SKIP() << "cannot mount a tmpfs here (" << (m).Error() << "); not tested"

class FileSafety : public testing::Test {
 protected:
  RunResult Run(const std::vector<std::string>& args, const std::string& cwd) {
    return RunTolva(args, cwd, home.path(), {{"TMPDIR", tmp.path()}});
  }
  std::string Wav(const std::string& name, double seconds, int rate = 22050) {
    const std::string path = in.Path(name);
    MustRun("sox -n -r " + std::to_string(rate) + " -b 16 -c 1 " + Quote(path) + " synth " + std::to_string(seconds) +
            " sine 440");
    return path;
  }
  void StopAtRandom(const std::vector<std::string>& args, const std::string& output, const std::string& wholeSamples,
                    const std::set<std::string>& kept);
  TempDir in, work, tmp, home;
};

}  // namespace

// Runs tolva with `args` in `work` again and again and stops each run with
// SIGKILL at a random moment (twenty times where the machine is quick enough,
// never fewer than five), then with the signals a terminal or a service
// manager sends: `output` is absent or the old file, byte for byte (or the
// whole new movie, when the signal came after it was named), and nothing new stays in `work` (beside `kept`), in $TMPDIR or beside the inputs.
void FileSafety::StopAtRandom(const std::vector<std::string>& args, const std::string& output,
                              const std::string& wholeSamples, const std::set<std::string>& kept) {
  const std::string out = work.Path(output);
  const std::set<std::string> inputs = Names(in.path());
  std::mt19937 random(std::random_device{}());
  // The signals come at any moment up to the length of the quickest run seen
  // so far, so that most of them find the program at work however fast the
  // machine and its disk are.
  int limitMs = 5000;
  const auto started = std::chrono::steady_clock::now();
  const auto elapsed = [&] { return std::chrono::steady_clock::now() - started; };
  int kills = 0, finished = 0;
  const auto stopOnce = [&](int sig, int run) {
    const bool old = run % 2 == 1;
    const std::string oldBytes = "an older movie, run " + std::to_string(run);
    if (old) work.Write(output, oldBytes);
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = StartTolva(args, work.path(), home.path(), {{"TMPDIR", tmp.path()}});
    ASSERT_GT(pid, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(std::uniform_int_distribution<int>(10, limitMs)(random)));
    ::kill(pid, sig);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    if (WIFEXITED(status)) {
      const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
      limitMs = std::max(20, std::min(limitMs, int(ms.count()) * 4 / 5));
    }
    const std::string when = "signal " + std::to_string(sig) + ", run " + std::to_string(run);
    std::set<std::string> expected = kept;
    const auto expectWhole = [&] {
      EXPECT_EQ(FfprobeSays(out, "stream=duration_ts", "a:0"), wholeSamples + "\n") << when;
    };
    if (WIFEXITED(status)) {  // done before the signal came: then the movie is whole
      ++finished;
      expectWhole();
      expected.insert(output);
    } else {
      ++kills;
      EXPECT_EQ(WTERMSIG(status), sig) << when;
      if (fs::exists(out)) {
        // the older file untouched, or the whole new movie when the signal came after it was named
        const bool untouched = old && fs::file_size(out) == oldBytes.size() && ReadFile(out) == oldBytes;
        if (!untouched) expectWhole();
        expected.insert(output);
      } else {
        EXPECT_FALSE(old) << when << ": the older movie is gone";
      }
    }
    EXPECT_EQ(Settled(work.path(), expected), expected) << when;
    EXPECT_EQ(Settled(tmp.path(), {}), std::set<std::string>()) << when;
    EXPECT_EQ(Names(in.path()), inputs) << when;
    fs::remove(out);
  };
  int run = 0;
  for (; run < 20 && (run < 5 || elapsed() < std::chrono::seconds(35)); ++run) stopOnce(SIGKILL, run);
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) stopOnce(sig, run++);
  EXPECT_GE(kills, 5) << finished << " runs ended before their signal";
  std::cout << kills << " runs stopped by a signal, " << finished << " finished first\n";
}

// -t2 of a 2.25 GiB input.
TEST_F(FileSafety, AKilledCopyLeavesNothingBehind) {
  WriteSparseWav(in.Path("big.wav"), {.channels = 2, .rate = 48000}, 2415919104ull);
  StopAtRandom({in.Path("big.wav"), "-t2"}, "test.mov", "603979776", {});
}

// -qb of a book of four 40-minute parts, 1.7 GB in all.
TEST_F(FileSafety, AKilledBookBuildLeavesNothingBehind) {
  std::string pod = "[podcast]\nbasename=book\naudiobook=true\n";
  for (int i = 1; i <= 4; ++i) {
    const std::string part = in.Path("part" + std::to_string(i) + ".wav");
    WriteSparseWav(part, {.channels = 2}, 44100ull * 4 * 2400);
    pod += "[editpoint_" + std::to_string(i) + "]\naudiofile=" + part + "\nchapter=Part " + std::to_string(i) + "\n";
  }
  work.Write("book.pod", pod);
  StopAtRandom({"-qb", "book.pod"}, "book.m4b", "423360000", {"book.pod"});
}

TEST_F(FileSafety, AFullDiskIsToldAndLeavesNothing) {
  const std::string small = Wav("tone.wav", 8.0), disk = work.Path("disk");
  Mount mount(disk, "size=128k");
  SKIP_UNLESS_MOUNTED(mount);

  RunResult r = Run({small, "-t2"}, disk);
  EXPECT_EQ(r.status, 0);  // the test command goes on; the words say what happened
  EXPECT_TRUE(Contains(r.err, "movie \"test.mov\" was not written: disk full (-34)\n")) << r.err;
  EXPECT_EQ(Listing(disk), "");

  // a report to a full disk: said, and no empty report left
  MustRun("head -c 1M /dev/zero > " + Quote(disk + "/filler") + " 2>/dev/null; true");
  r = Run({"-dp", disk, "-fi", "rep.txt", small}, work.path());
  EXPECT_TRUE(Contains(r.err, "output file \"" + disk + "/rep.txt\" was not written: disk full\n")) << r.err;
  EXPECT_EQ(Listing(disk), "filler\n");
  // with room, the report is there, whole
  fs::remove(disk + "/filler");
  r = Run({"-dp", disk, "-fi", "rep.txt", small}, work.path());
  EXPECT_EQ(r.err, "");
  EXPECT_TRUE(ReadFile(disk + "/rep.txt").starts_with("tone.wav\twav\tsowt\t22050\t00:00:08.00\t8\t\n"));
}

TEST_F(FileSafety, BadSourcesAreRefusedInWords) {
  // a movie whose samples stop half way: its table still promises all of them
  const std::string mov = in.Path("cut.mov");
  MustRun("ffmpeg -v error -f lavfi -i sine=duration=6:sample_rate=32000 -c:a pcm_s16le -movflags +faststart " +
          Quote(mov));
  fs::resize_file(mov, fs::file_size(mov) / 2);
  RunResult r = Run({mov, "-t2"}, work.path());
  EXPECT_TRUE(Contains(r.out, "FlattenMovieToFile: unable to flatten data ref: (-39) test.mov\n")) << r.out;
  EXPECT_TRUE(Contains(r.err, "movie \"test.mov\" was not written: source file \"" + mov +
                                  "\" is shorter than its sample table says (-39)\n"))
      << r.err;
  EXPECT_EQ(Listing(work.path()), "");

  // an edit list that points past the end of its media: a movie of no samples is never written
  const std::string past = in.Path("past.mov");
  MustRun("ffmpeg -v error -f lavfi -i sine=duration=2:sample_rate=24000 -c:a pcm_s16le -movflags +faststart " +
          Quote(past));
  std::string bytes = ReadFile(past);
  const std::size_t elst = bytes.find("elst");
  ASSERT_NE(elst, std::string::npos);
  bytes.replace(elst + 16, 4, std::string("\x00\x10\x00\x00", 4));  // the first entry's media time
  std::ofstream(past, std::ios::binary) << bytes;
  r = Run({past, "-t2"}, work.path());
  EXPECT_TRUE(Contains(r.err, "movie \"test.mov\" was not written: the movie holds no samples (-2010)\n")) << r.err;
  EXPECT_EQ(Listing(work.path()), "");
}

TEST_F(FileSafety, ReadOnlyFilesAndFoldersAreTold) {
  const std::string small = Wav("tone.wav", 1.5, 16000);
  MustRun("ffmpeg -v error -i " + Quote(small) + " -c:a aac " + Quote(work.Path("a.m4a")));
  fs::permissions(work.Path("a.m4a"), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  const std::string before = ReadFile(work.Path("a.m4a"));
  RunResult r = Run({"-w4a", "a.m4a"}, work.path());
  EXPECT_EQ(r.status, 5);
  EXPECT_EQ(r.err, "file header of \"a.m4a\" was not written: read-only file\n");
  EXPECT_EQ(ReadFile(work.Path("a.m4a")), before);

  const std::string locked = work.Path("locked");
  Mount mount(locked, "size=64k");
  SKIP_UNLESS_MOUNTED(mount);
  fs::copy_file(work.Path("a.m4a"), locked + "/a.m4a");
  fs::permissions(locked + "/a.m4a", fs::perms::owner_write, fs::perm_options::add);  // only its file system refuses
  mount.MakeReadOnly();
  r = Run({"-wmov", locked + "/a.m4a"}, work.path());
  EXPECT_EQ(r.status, 5);
  EXPECT_TRUE(Contains(r.err, "file header of \"" + locked + "/a.m4a\" was not written: read-only file system\n"))
      << r.err;

  r = Run({small, "-t2"}, locked);
  EXPECT_TRUE(Contains(r.err, "working movie in \"" + locked + "\" was not written: read-only file system\n")) << r.err;
  r = Run({"-dp", locked, "-fi", "rep.txt", small}, work.path());
  EXPECT_EQ(r.status, 3);
  EXPECT_TRUE(Contains(r.err, "output file \"" + locked + "/rep.txt\" was not written: read-only file system\n"))
      << r.err;
  EXPECT_EQ(Listing(locked), "a.m4a\n");
}
