#include "BuildFixture.h"

namespace {
const char* const kTitle = "Pr\xC3\xBC" "fung \xE2\x84\x96 5 \xE2\x80\x94 \xC3\x9Cn\xC3\xAF" "c\xC3\xB6" "d\xC3\xA9";

std::string ShowProject(const std::string& audio) {
  return "[podcast]\nbasename=show\naudiofile=" + audio +
         "\n[editpoint_1]\nchapter=Intro\n[editpoint_2]\nstart=0:0:4.150\nchapter=" + kTitle +
         "\n[editpoint_3]\nstart=0:0:9.0\nchapter=Ende\n";
}
}  // namespace

// One project, the four build commands: the same sound to the sample, the
// chapters with their titles as typed, and the brand each kind of file claims.
TEST(ShowBuild, EveryCommandWritesThePlayableMovieItNames) {
  BuildFolder f;
  const std::string source = f.Tone("talk.m4a", 12.3, 32000, 2);
  f.dir.Write("show.pod", ShowProject("talk.m4a"));
  const std::int64_t heard = ProbeNumber(source, "a:0", "stream=duration_ts");
  ASSERT_GT(heard, 0);

  const struct {
    const char* command;
    const char* file;
    const char* brand;
  } builds[] = {{"-q4", "show.m4a", "M4A "}, {"-qb", "show.m4b", "M4A "}, {"-qv", "show.m4v", "M4V "},
                {"-qm", "show.mov", "qt  "}};
  for (const auto& build : builds) {
    SCOPED_TRACE(build.command);
    const RunResult run = f.Tolva({build.command, "show.pod"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_NE(run.out.find("writing output file ... this might take some time!"), std::string::npos) << run.out;
    const std::string out = f.dir.Path(build.file);
    EXPECT_EQ(Probe(out, "", "format_tags=major_brand"), build.brand);
    EXPECT_EQ(Probe(out, "a", "stream=codec_name"), "aac");
    EXPECT_EQ(ProbeNumber(out, "a:0", "stream=sample_rate"), 32000);
    EXPECT_EQ(ProbeNumber(out, "a:0", "stream=duration_ts"), heard);
    EXPECT_EQ(DecodeErrors(out), "");
    EXPECT_EQ(DecodedMd5(out), DecodedMd5(source));
    EXPECT_EQ(Chapters(out), std::string("0.000000,Intro\n4.250000,") + kTitle + "\n9.000000,Ende\n");
    const std::string menu = ReaderSays("mediainfo " + Quote(out));
    EXPECT_NE(menu.find(std::string("00:00:04.250                             : ") + kTitle), std::string::npos) << menu;
  }
  EXPECT_EQ(f.Leftovers(), std::vector<std::string>());
}
