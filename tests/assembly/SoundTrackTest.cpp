#include "BuildFixture.h"

// Audio edit points: each file in its slot, silence after a short one and
// after the sound up to the last chapter, a long file cut at its slot.
TEST(SoundTrack, FilesKeepTheirSlotsWithSilenceBetween) {
  BuildFolder f;
  f.Tone("a.m4a", 3, 22050, 1, 300);
  f.Tone("b.m4a", 4, 22050, 1, 500);
  f.dir.Write("eps.pod",
              "[podcast]\nbasename=eps\n[editpoint_1]\naudiofile=a.m4a\nchapter=One\n"
              "[editpoint_2]\nstart=0:0:5.0\naudiofile=b.m4a\nchapter=Two\n[editpoint_3]\nstart=0:0:12.0\nchapter=Three\n");
  const RunResult run = f.Tolva({"-q4", "eps.pod"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const std::string out = f.dir.Path("eps.m4a");
  // 3 s of a, 2 s of silence, 4 s of b, then silence to the last chapter's end (12 s + its one second).
  EXPECT_EQ(ProbeNumber(out, "a:0", "stream=duration_ts"), 13 * 22050);
  EXPECT_EQ(Chapters(out), "0.000000,One\n5.000000,Two\n12.000000,Three\n");
  EXPECT_EQ(DecodeErrors(out), "");
  EXPECT_GT(PeakDb(out, 0.2, 2.8), -20);
  EXPECT_LT(PeakDb(out, 3.2, 4.8), -80);
  EXPECT_GT(PeakDb(out, 5.2, 8.8), -20);
  EXPECT_LT(PeakDb(out, 9.3, 12.8), -80);
  // The lone files, decoded, come out of the movie unchanged where ffmpeg places them.
  const std::int64_t firstSamples = DecodedSamples(f.dir.Path("a.m4a"));
  EXPECT_EQ(DecodedMd5(out, 0, firstSamples), DecodedMd5(f.dir.Path("a.m4a")));

  f.dir.Write("cut.pod",
              "[podcast]\nbasename=cut\n[editpoint_1]\naudiofile=b.m4a\n[editpoint_2]\nstart=0:0:1.300\n"
              "audiofile=a.m4a\naudiolength=0:0:2.0\n");
  ASSERT_EQ(f.Tolva({"-q4", "cut.pod"}).status, 0);
  EXPECT_EQ(ProbeNumber(f.dir.Path("cut.m4a"), "a:0", "stream=duration_ts"), 3 * 22050 / 2 + 2 * 22050);
  EXPECT_EQ(f.Leftovers(), std::vector<std::string>());
}

// Without its padding file the build says so and goes on: the next file comes early.
TEST(SoundTrack, AMissingPaddingFileIsReportedAndTheBuildGoesOn) {
  BuildFolder f;
  f.Tone("a.m4a", 2, 16000);
  f.Tone("b.m4a", 1, 16000);
  f.dir.Write("gap.pod",
              "[podcast]\nbasename=gap\nsilence=none-such-\n[editpoint_1]\naudiofile=a.m4a\n"
              "[editpoint_2]\nstart=0:0:5.0\naudiofile=b.m4a\n");
  const RunResult run = f.Tolva({"-qm", "gap.pod"});
  EXPECT_EQ(run.status, 0);
  const std::string padding = std::string(TOLVA_BIN_DIR) + "/none-such-30ss16000.mp4";
  EXPECT_EQ(run.err, "Unable to open audio pading file " + padding + "\n");
  EXPECT_EQ(ProbeNumber(f.dir.Path("gap.mov"), "a:0", "stream=duration_ts"), 3 * 16000);
}

// The project's own audio file from "audiostart" for "audiolength" seconds;
// audio edit points of another sample rate stop the sound where they begin.
TEST(SoundTrack, AStretchOfTheProjectAudioAndFilesOfAnotherRate) {
  BuildFolder f;
  const std::string talk = f.Tone("talk.m4a", 6, 24000, 1, 350);
  f.dir.Write("part.pod",
              "[podcast]\nbasename=part\naudiofile=talk.m4a\naudiostart=2\naudiolength=3\n[editpoint_1]\nchapter=Mitte\n");
  ASSERT_EQ(f.Tolva({"-q4", "part.pod"}).status, 0);
  const std::string part = f.dir.Path("part.m4a");
  EXPECT_EQ(ProbeNumber(part, "a:0", "stream=duration_ts"), 3 * 24000);
  // Whole AAC frames are kept and trimmed by the edit, so the stretch starts on its sample.
  EXPECT_EQ(DecodedMd5(part, 0, 24000), DecodedMd5(talk, 2 * 24000, 24000));

  f.Tone("other.m4a", 1, 32000);
  f.dir.Write("mixed.pod", "[podcast]\nbasename=mixed\n[editpoint_1]\naudiofile=talk.m4a\n[editpoint_2]\n"
                           "start=0:0:6.0\naudiofile=other.m4a\n");
  const RunResult mixed = f.Tolva({"-q4", "mixed.pod"});
  EXPECT_EQ(mixed.status, 0);
  EXPECT_EQ(mixed.err, "sample rate is different in file \"" + f.dir.Path("other.m4a") +
                           "\"\n  time scale is 32000, should be 24000\n");
  EXPECT_EQ(ProbeNumber(f.dir.Path("mixed.m4a"), "a:0", "stream=duration_ts"), 6 * 24000);
}
