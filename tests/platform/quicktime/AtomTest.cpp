#include <gtest/gtest.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "platform/quicktime/atoms/AtomDumper.h"
#include "platform/quicktime/atoms/AtomReader.h"
#include "platform/quicktime/atoms/AtomWriter.h"
#include "platform/quicktime/atoms/MovieAtom.h"

namespace {
using Bytes = std::vector<std::uint8_t>;

template <class A>
Bytes Written(A& atom) {
  AtomWriter out;
  out.Atom(atom);
  EXPECT_EQ(out.Status(), noErr);
  return out.Bytes();
}

// Reads one whole atom; the reader must use every byte.
template <class A>
OSErr ReadBack(const Bytes& bytes, A& atom) {
  AtomReader in(bytes);
  in.Atom(atom);
  if (in.Status() == noErr) {
    EXPECT_EQ(in.Left(), 0u);
  }
  return in.Status();
}

template <class A>
A RoundTripped(A& atom) {
  A back;
  EXPECT_EQ(ReadBack(Written(atom), back), noErr);
  EXPECT_EQ(DumpOf(back), DumpOf(atom));
  return back;
}

Bytes Be32(std::uint32_t v) { return {std::uint8_t(v >> 24), std::uint8_t(v >> 16), std::uint8_t(v >> 8), std::uint8_t(v)}; }

Bytes AtomBytes(const char* type, const Bytes& payload, std::int64_t size = -1) {
  Bytes out = Be32(std::uint32_t(size >= 0 ? size : std::int64_t(payload.size() + 8)));
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), payload.begin(), payload.end());
  return out;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}
}  // namespace

TEST(Atoms, HeaderVersionsFollowTheValues) {
  MediaHeaderAtom shortMedia{.timeScale = 44100, .duration = 3600ull * 44100};
  EXPECT_EQ(RoundTripped(shortMedia).version, 0);
  EXPECT_EQ(Written(shortMedia).size(), 32u);

  MediaHeaderAtom longMedia{.timeScale = 44100, .duration = 14ull * 3600 * 44100 * 8};  // past 2^32 units
  const MediaHeaderAtom back = RoundTripped(longMedia);
  EXPECT_EQ(back.version, 1);
  EXPECT_EQ(back.duration, longMedia.duration);
  EXPECT_EQ(Written(longMedia).size(), 44u);

  MovieHeaderAtom movie{.timeScale = 1000, .duration = 0x1'0000'0000ull, .nextTrackId = 7};
  EXPECT_EQ(RoundTripped(movie).version, 1);
  TrackHeaderAtom track{.trackId = 3, .duration = 5, .volume = 0x100, .width = 640u << 16};
  EXPECT_EQ(RoundTripped(track).version, 0);
  EXPECT_EQ(Written(track).size(), 92u);

  // An empty edit (-1) survives the narrow form; a time past 2^31 needs the wide one.
  EditListAtom edits;
  edits.entries = {{.trackDuration = 100, .mediaTime = -1}, {.trackDuration = 200, .mediaTime = 1024}};
  EXPECT_EQ(RoundTripped(edits).entries[0].mediaTime, -1);
  EXPECT_EQ(edits.version, 0);
  edits.entries.push_back({.trackDuration = 1, .mediaTime = 0x8000'0000ll});
  EXPECT_EQ(RoundTripped(edits).version, 1);
}

TEST(Atoms, ChunkOffsetsPast4GiBTakeTheWideForm) {
  ChunkOffsetAtom offsets;
  offsets.offsets = {40, UINT32_MAX};
  Bytes bytes = Written(offsets);
  EXPECT_EQ(std::string(bytes.begin() + 4, bytes.begin() + 8), "stco");
  offsets.offsets.push_back(0x1'2345'6789ull);
  bytes = Written(offsets);
  EXPECT_EQ(std::string(bytes.begin() + 4, bytes.begin() + 8), "co64");
  EXPECT_EQ(bytes.size(), 16u + 3 * 8);
  const ChunkOffsetAtom back = RoundTripped(offsets);
  EXPECT_TRUE(back.wide);
  EXPECT_EQ(back.offsets[2], 0x1'2345'6789ull);
}

TEST(Atoms, SharedSizesWriteInPiecesAsInOneBuffer) {
  std::vector<std::uint32_t> varying(300'000);  // 1.2 MB: several pieces
  for (std::size_t i = 0; i < varying.size(); ++i) varying[i] = std::uint32_t(i * 7 % 1000 + 1);
  SampleSizeAtom sizes{.sizes = SharedVector<std::uint32_t>(varying)};
  const Bytes whole = Written(sizes);
  Bytes pieces;
  std::size_t handed = 0;
  AtomWriter out([&](std::span<const std::uint8_t> piece) {
    pieces.insert(pieces.end(), piece.begin(), piece.end());
    ++handed;
    return OSErr(noErr);
  });
  out.Atom(sizes);
  out.Flush();
  EXPECT_EQ(out.Status(), noErr);
  EXPECT_GT(handed, 2u);
  EXPECT_EQ(out.Position(), whole.size());
  EXPECT_EQ(pieces, whole);
  SampleSizeAtom back;
  ASSERT_EQ(ReadBack(whole, back), noErr);
  EXPECT_EQ(back.sizes.Entries(), varying);
  EXPECT_EQ(sizes.sizes.Entries(), varying);  // writing left the shared entries as they were

  // one size for all: no table at all
  SampleSizeAtom constant;
  constant.constantSize = 371;
  constant.sampleCount = 1'000'000;
  EXPECT_EQ(Written(constant).size(), 20u);
  EXPECT_EQ(RoundTripped(constant).sampleCount, 1'000'000u);

  AtomWriter failing([](std::span<const std::uint8_t>) { return OSErr(dskFulErr); });
  failing.Atom(sizes);
  failing.Flush();
  EXPECT_EQ(failing.Status(), dskFulErr);
}

TEST(Atoms, LargeSizesAndToTheEndHeaders) {
  EXPECT_EQ(AtomSize(100), 108u);
  EXPECT_EQ(AtomSize(UINT32_MAX - 8), UINT32_MAX);
  EXPECT_EQ(AtomSize(UINT32_MAX - 7), UINT32_MAX - 7 + 16ull);

  // size 1: the real size follows in 64 bits
  Bytes large = Concat({Be32(1), {'f', 'r', 'e', 'e'}, Be32(0), Be32(20), Be32(0xABCD)});
  AtomReader in(large);
  AtomHeader header;
  ASSERT_TRUE(in.ReadHeader(header));
  EXPECT_EQ(header.headerBytes, 16u);
  EXPECT_EQ(header.payloadBytes, 4u);

  // size 0 runs to the end only where the caller allows it (a last 'mdat')
  const Bytes toEnd = AtomBytes("mdat", {1, 2, 3}, 0);
  AtomReader top(toEnd);
  ASSERT_TRUE(top.ReadHeader(header, true));
  EXPECT_EQ(header.payloadBytes, 3u);
  AtomReader inner(toEnd);
  EXPECT_FALSE(inner.ReadHeader(header));
  EXPECT_EQ(inner.Status(), noMovieFound);
}

TEST(Atoms, MalformedInputFailsWithoutAllocating) {
  const Bytes vf(4, 0);
  // a count of 2^32-1 runs with 8 bytes behind it: refused before any resize
  TimeToSampleAtom runs;
  EXPECT_EQ(ReadBack(AtomBytes("stts", Concat({vf, Be32(0xFFFFFFFF), Be32(1), Be32(1)})), runs), noMovieFound);
  EXPECT_TRUE(runs.runs.empty());
  SampleSizeAtom sizes;
  EXPECT_EQ(ReadBack(AtomBytes("stsz", Concat({vf, Be32(0), Be32(0x40000000)})), sizes), noMovieFound);
  EXPECT_TRUE(sizes.sizes.empty());
  SampleDescriptionAtom descriptions;
  EXPECT_EQ(ReadBack(AtomBytes("stsd", Concat({vf, Be32(1000000)})), descriptions), noMovieFound);

  // truncated fields, a child larger than its parent, a child of size 0, a wrong type
  MediaHeaderAtom media;
  EXPECT_EQ(ReadBack(AtomBytes("mdhd", Bytes(10, 0)), media), noMovieFound);
  EditAtom edits;
  EXPECT_EQ(ReadBack(AtomBytes("edts", AtomBytes("elst", Concat({vf, Be32(0)}), 400)), edits), noMovieFound);
  EXPECT_EQ(ReadBack(AtomBytes("edts", AtomBytes("elst", Concat({vf, Be32(0)}), 0)), edits), noMovieFound);
  EXPECT_EQ(ReadBack(AtomBytes("mdhd", Bytes(24, 0)), edits), noMovieFound);
  EXPECT_EQ(ReadBack(Bytes{}, edits), noMovieFound);

  // versions we do not know, a missing header, a second header
  MediaHeaderAtom plain;
  Bytes future = Written(plain);
  future[8] = 2;
  EXPECT_EQ(ReadBack(future, media), noMovieFound);
  MovieAtom movie;
  EXPECT_EQ(ReadBack(AtomBytes("moov", AtomBytes("free", {})), movie), noMovieFound);
  MovieHeaderAtom header;
  const Bytes oneHeader = Written(header);
  EXPECT_EQ(ReadBack(AtomBytes("moov", Concat({oneHeader, oneHeader})), movie), noMovieFound);
}

TEST(Atoms, UnknownAtomsAndPaddingAreKept) {
  MovieHeaderAtom header;
  const Bytes moov = AtomBytes(
      "moov", Concat({Written(header), AtomBytes("abcd", {1, 2, 3, 4, 5}),
                      AtomBytes("udta", Concat({AtomBytes("\xA9nam", {0, 3, 0, 0, 'a', 'b', 'c'}), Be32(0)}))}));
  MovieAtom movie;
  ASSERT_EQ(ReadBack(moov, movie), noErr);
  ASSERT_EQ(movie.others.size(), 1u);
  EXPECT_EQ(movie.others[0].type, Tag("abcd"));
  ASSERT_TRUE(movie.userData);
  ASSERT_EQ(movie.userData->items.size(), 1u);  // the closing zero word of QuickTime user data is not an item
  EXPECT_EQ(movie.userData->items[0].payload.size(), 7u);
  // written back: our children in their order, unknown ones after them, nothing else lost
  const Bytes again = Written(movie);
  EXPECT_EQ(again.size(), moov.size() - 4);
  MovieAtom back;
  ASSERT_EQ(ReadBack(again, back), noErr);
  EXPECT_EQ(DumpOf(back), DumpOf(movie));
}

// A movie written by an independent muxer reads and writes back to the same bytes.
TEST(Atoms, MovieFromFfmpegWritesBackUnchanged) {
  TempDir dir;
  const auto [m4a, mov] = MakeFfmpegMovies(dir, 1);
  for (const std::string& path : {m4a, mov}) {
    const std::string file = ReadFile(path);
    const Bytes bytes(file.begin(), file.end());
    AtomReader top(bytes);
    AtomHeader header;
    Bytes found;
    while (top.Left() > 0 && top.ReadHeader(header, true)) {
      top.Child(header.payloadBytes);
      if (header.type != MovieAtom::kType) continue;
      const std::size_t end = bytes.size() - top.Left();
      found.assign(bytes.begin() + std::ptrdiff_t(end - header.payloadBytes - header.headerBytes),
                   bytes.begin() + std::ptrdiff_t(end));
    }
    ASSERT_FALSE(found.empty()) << path;
    MovieAtom movie;
    ASSERT_EQ(ReadBack(found, movie), noErr) << path;
    EXPECT_EQ(movie.tracks.size(), path == m4a ? 1u : 2u);
    EXPECT_TRUE(Written(movie) == found) << path << "\n" << DumpOf(movie);
  }
}
