#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "ToolboxTestSupport.h"
#include "platform/quicktime/Movies.h"

// A book joined from many files points at their sample sizes instead of
// holding them, and its flatten makes the tables as it writes them.
namespace {
struct Packet {
  std::uint64_t size = 0, pos = 0;
  std::string hash;
};

// Every audio packet in the file as ffprobe finds it, edit lists aside.
std::vector<Packet> PacketsOf(const std::string& path) {
  std::istringstream lines(ReaderSays("ffprobe -v error -ignore_editlist 1 -show_data_hash md5 -select_streams a "
                                      "-show_entries packet=size,pos,data_hash -of flat " + Quote(path)));
  std::vector<Packet> packets;
  for (std::string line; std::getline(lines, line);) {
    const std::size_t at = line.rfind('.'), equals = line.find('=', at);
    const std::string key = line.substr(at + 1, equals - at - 1), value = line.substr(equals + 2, line.size() - equals - 3);
    if (key == "size") packets.emplace_back().size = std::stoull(value);
    if (key == "pos") packets.back().pos = std::stoull(value);
    if (key == "data_hash") packets.back().hash = value;
  }
  return packets;
}

// Where two lists of packets first differ in size or bytes; -1 when they agree.
long FirstDifference(const std::vector<Packet>& a, const std::vector<Packet>& b) {
  for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i)
    if (a[i].size != b[i].size || a[i].hash != b[i].hash) return long(i);
  return a.size() == b.size() ? -1 : long(std::min(a.size(), b.size()));
}

// AAC at 48 kHz: `seconds` of noise (no two frames alike) encoded at `rate`, the movie atom first or last.
void MakeAac(const std::string& path, int seconds, const std::string& rate, bool movieFirst) {
  MustRun("ffmpeg -v error -f lavfi -i anoisesrc=r=48000:a=0.2:c=pink:s=" + std::to_string(seconds) +
          ":d=" + std::to_string(seconds) + " -c:a aac -b:a " + rate + (movieFirst ? " -movflags +faststart " : " ") +
          Quote(path));
}

struct Part {
  std::string path;
  double from = 0, seconds = 0;  // 0 seconds: all of it
};

// A working movie of one sound track joining `parts` end to end; the parts are closed again.
// Each file is opened once: opening one here touches it, which would make it another file.
OwnedMovie Join(const TempDir& dir, const std::vector<Part>& parts) {
  OwnedMovie work = NewWorkingMovie(dir.Path("work.mov"));
  Track book = NewMovieTrack(work.get(), 0, 0, 0x100);
  EXPECT_NE(NewTrackMedia(book, Tag("soun"), 48000, nullptr, 0), nullptr);
  std::map<std::string, OwnedMovie> opened;
  for (const Part& part : parts) {
    if (!opened.contains(part.path)) opened.emplace(part.path, OpenMovie(part.path));
    Movie movie = opened[part.path].get();
    Track sound = GetMovieIndTrack(movie, 1);
    const TimeValue scale = GetMovieTimeScale(movie);
    const TimeValue length = part.seconds > 0 ? TimeValue(part.seconds * double(scale)) : GetTrackDuration(sound);
    EXPECT_EQ(InsertTrackSegment(sound, book, TimeValue(part.from * double(scale)), length, -1), noErr);
  }
  return work;
}

Movie FlattenedTo(Movie movie, const std::string& path) {
  return FlattenMovieDataToDataRef(movie, flattenAddMovieToDataFork | flattenForceMovieResourceBeforeMovieData,
                                   DataRefFor(path).get(), AliasDataHandlerSubType, Tag("TVOD"), -1,
                                   createMovieFileDeleteCurFile);
}
}  // namespace

TEST(JoinedSizes, FlattenedTablesPointAtEverySourcePacket) {
  TempDir dir;
  // frames of different sizes at different offsets: a short part with its movie atom first, and a
  // long one (more sizes than one block read, its movie atom last) joined four times: past 65536 frames
  const std::string small = dir.Path("small.m4a"), minute = dir.Path("minute.m4a"), large = dir.Path("large.m4a");
  MakeAac(small, 61, "24k", true);
  MakeAac(minute, 62, "96k", false);
  std::string list;
  for (int i = 0; i < 6; ++i) list += "file '" + minute + "'\n";
  dir.Write("list.txt", list);
  MustRun("ffmpeg -v error -f concat -safe 0 -i " + Quote(dir.Path("list.txt")) + " -c copy " + Quote(large));
  const std::vector<Packet> smallPackets = PacketsOf(small), largePackets = PacketsOf(large);
  ASSERT_GT(largePackets.size(), 16384u);
  std::vector<Packet> expected = smallPackets;
  for (int i = 0; i < 4; ++i) expected.insert(expected.end(), largePackets.begin(), largePackets.end());
  ASSERT_GT(expected.size(), 65536u);

  // then ten seconds from the middle: sizes and bytes taken from inside a chunk
  const OwnedMovie work = Join(dir, {{small}, {large}, {large}, {large}, {large}, {large, 20.5, 10}});
  const std::string out = dir.Path("book.m4a"), again = dir.Path("again.m4a");
  Movie flat = FlattenedTo(work.get(), out);
  ASSERT_NE(flat, nullptr) << GetMoviesErrorText();
  std::vector<Packet> joined = PacketsOf(out);
  ASSERT_GT(joined.size(), expected.size() + 469);
  const std::vector<Packet> piece(joined.begin() + long(expected.size()), joined.end());
  const auto found = std::find_if(largePackets.begin(), largePackets.end(), [&](const Packet& p) { return p.hash == piece[0].hash; });
  EXPECT_NEAR(double(found - largePackets.begin()), 20.5 * 48000 / 1024, 2.0);
  EXPECT_EQ(FirstDifference(piece, std::vector<Packet>(found, found + long(std::min<std::size_t>(piece.size(), largePackets.end() - found)))), -1);
  expected.insert(expected.end(), piece.begin(), piece.end());
  EXPECT_EQ(FirstDifference(joined, expected), -1);
  // one track: each packet starts where the one before ends, right after the movie atom
  const std::uint64_t mdat = std::uint64_t(ReadFile(out).find("mdat"));
  ASSERT_FALSE(joined.empty());
  EXPECT_EQ(joined[0].pos, mdat + 4);
  std::size_t gaps = 0;
  for (std::size_t i = 1; i < joined.size(); ++i) gaps += joined[i].pos != joined[i - 1].pos + joined[i - 1].size;
  EXPECT_EQ(gaps, 0u);
  EXPECT_EQ(ReaderSays("ffmpeg -v error -i " + Quote(out) + " -f null - 2>&1"), "");

  // the movie handed back holds the same samples where the new file has them
  const Movie copied = FlattenedTo(flat, again);
  ASSERT_NE(copied, nullptr) << GetMoviesErrorText();
  EXPECT_EQ(FirstDifference(PacketsOf(again), expected), -1);
  DisposeMovie(copied);
  DisposeMovie(flat);
}

TEST(JoinedSizes, ASourceChangedAfterTheJoinIsRefusedInWords) {
  TempDir dir;
  const std::string first = dir.Path("first.m4a"), last = dir.Path("last.m4a");
  MakeAac(first, 8, "64k", true);
  MakeAac(last, 9, "48k", false);
  const OwnedMovie cut = Join(dir, {{first}, {last}});
  // its movie atom (and so its sizes) lay at the end: gone with the cut
  MustRun("truncate -s 20000 " + Quote(last));
  EXPECT_EQ(FlattenedTo(cut.get(), dir.Path("cut.m4a")), nullptr);
  EXPECT_EQ(GetMoviesError(), eofErr);
  EXPECT_EQ(GetMoviesErrorText(), "source file \"" + last + "\" is shorter than its sample table says");

  const OwnedMovie touched = Join(dir, {{first}});
  MustRun("touch -d 2001-02-03 " + Quote(first));  // the same bytes, but no longer the file that was read
  EXPECT_EQ(FlattenedTo(touched.get(), dir.Path("touched.m4a")), nullptr);
  EXPECT_EQ(GetMoviesError(), couldNotResolveDataRef);
  EXPECT_EQ(GetMoviesErrorText(), "source file \"" + first + "\" has changed since it was opened");

  MustRun("rm " + Quote(first));
  EXPECT_EQ(FlattenedTo(touched.get(), dir.Path("gone.m4a")), nullptr);
  EXPECT_EQ(GetMoviesErrorText(), "source file \"" + first + "\" cannot be opened: no such file or folder");
  // the outputs stay the empty files named for them, and nothing else is left
  EXPECT_EQ(ReaderSays("ls -A " + Quote(dir.path())), "cut.m4a\ngone.m4a\nlast.m4a\ntouched.m4a\n");
  for (const char* name : {"cut.m4a", "touched.m4a", "gone.m4a"}) EXPECT_EQ(ReadFile(dir.Path(name)), "") << name;
}
