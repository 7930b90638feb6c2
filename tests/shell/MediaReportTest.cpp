#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>

#include "TestSupport.h"

namespace {
std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
    fields.push_back(line.substr(start, tab - start));
  fields.push_back(line.substr(start));
  return fields;
}

// "hh:mm:ss.units" in seconds, the last field counted in units of `scale`.
double Seconds(const std::string& text, int scale) {
  int h = 0, m = 0, s = 0;
  long units = 0;
  std::sscanf(text.c_str(), "%d:%d:%d.%ld", &h, &m, &s, &units);
  return h * 3600.0 + m * 60.0 + s + double(units) / scale;
}

// Patches `bytes` at `offset` past the first occurrence of `marker`.
void Patch(std::string& file, const std::string& marker, std::size_t offset, const std::string& bytes) {
  const std::size_t at = file.find(marker);
  ASSERT_NE(at, std::string::npos) << marker;
  file.replace(at + offset, bytes.size(), bytes);
}

class MediaReport : public testing::Test {
 protected:
  TempDir dir, home;
  RunResult Run(const std::vector<std::string>& args) { return RunTolva(args, dir.path(), home.path()); }
  std::string Make(const std::string& name, const std::string& command) {
    MustRun(command + " " + Quote(dir.Path(name)));
    return dir.Path(name);
  }
  std::string MakeAac(const std::string& name) {
    return Make(name, "ffmpeg -v error -f lavfi -i sine=frequency=440:duration=3:sample_rate=44100 -c:a aac");
  }
  std::string Probe(const std::string& path, const std::string& entries) {
    return ReaderSays("ffprobe -v error -select_streams a:0 -show_entries " + entries + " -of csv=p=0 " + Quote(path));
  }
};
}  // namespace

TEST_F(MediaReport, OneLinePerFileAgreesWithFfprobe) {
  MakeAac("a.m4a");
  MustRun("sox -n -r 44100 -b 16 -c 1 " + Quote(dir.Path("b.wav")) + " synth 1.5 sine 300");
  MustRun("sox -n -r 48000 -b 24 -c 2 " + Quote(dir.Path("c.wav")) + " synth 2 sine 300");
  MustRun("sox -n -r 22050 -b 16 " + Quote(dir.Path("d.aiff")) + " synth 1.25 sine 300");
  Make("e.mp3", "ffmpeg -v error -f lavfi -i sine=duration=2.2:sample_rate=44100 -c:a libmp3lame -b:a 64k");
  Make("f.aac", "ffmpeg -v error -f lavfi -i sine=duration=1.7:sample_rate=32000 -c:a aac -f adts");
  Make("g.jpg", "ffmpeg -v error -f lavfi -i testsrc=size=160x120:duration=1 -frames:v 1");
  MustRun("ffmpeg -v error -loop 1 -i " + Quote(dir.Path("g.jpg")) + " -t 2 -r 1 -c:v copy " + Quote(dir.Path("h.mov")));
  dir.Write("i.txt", "not media at all\n");

  const RunResult r = Run({"*.*", "-fi"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("unable to open media file \"" + dir.Path("i.txt") + "\"\n"), std::string::npos);
  std::map<std::string, std::vector<std::string>> byName;
  for (const std::string& line : Lines(r.out))
    if (std::count(line.begin(), line.end(), '\t') == 6) byName[Fields(line)[0]] = Fields(line);
  ASSERT_EQ(byName.size(), 8u) << r.out;

  const std::map<std::string, std::string> formats = {{"a.m4a", "mp4a"}, {"b.wav", "sowt"}, {"c.wav", "lpcm"},
                                                      {"d.aiff", "twos"}, {"e.mp3", ".mp3"}, {"f.aac", "mp4a"}};
  for (const auto& [name, format] : formats) {
    const std::vector<std::string>& f = byName[name];
    SCOPED_TRACE(name);
    EXPECT_EQ(f[1], name.substr(2));
    EXPECT_EQ(f[2], format);
    const int rate = std::stoi(f[3]);
    EXPECT_EQ(std::to_string(rate) + "\n", Probe(dir.Path(name), "stream=sample_rate"));
    // Elementary streams have no duration a reader can trust: count what ffmpeg
    // decodes, which skips the delay and padding an MP3 encoder names.
    const bool elementary = name == "e.mp3" || name == "f.aac";
    const double heard =
        elementary
            ? std::stod(ReaderSays("ffmpeg -v error -i " + Quote(dir.Path(name)) + " -f s16le -ac 1 - | wc -c")) / 2 / rate
            : std::stod(Probe(dir.Path(name), "stream=duration"));
    EXPECT_NEAR(Seconds(f[4], rate), heard, 0.01);
    EXPECT_EQ(std::stoi(f[5]), int(Seconds(f[4], rate)));
    EXPECT_EQ(f[6], "");
  }
  for (const char* silent : {"g.jpg", "h.mov"})
    EXPECT_EQ(byName[silent], (std::vector<std::string>{silent, std::string(silent).substr(2), "", "0",
                                                        "00:00:00.00", "0", ""}));
}

TEST_F(MediaReport, ExtendedReportShowsDescriptionsAndEsds) {
  const std::string aac = MakeAac("talk.m4a");
  Make("still.jpg", "ffmpeg -v error -f lavfi -i testsrc=size=64x48:duration=1 -frames:v 1");
  const RunResult r = Run({"talk.m4a", "still.jpg", "-fi2"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("File name:   talk.m4a\nFormat:      mp4a\nSample Rate: 44100\nDuration:    00:00:03.00\n\n"
                       "Sound Descriptions:\n\n  Sound Description number 1\n\n    descSize      "),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("    type:       40\n    streamType: 15\n"), std::string::npos);
  // The decoder-specific bytes are the stream's extradata as ffprobe sees it.
  std::string expected;
  for (const std::uint8_t byte : ExtradataOf(aac)) {
    char text[8];
    std::snprintf(text, sizeof text, "%2x ", byte);
    expected += text;
  }
  ASSERT_FALSE(expected.empty());
  EXPECT_NE(r.out.find("    decSpec:    " + expected + "\n"), std::string::npos) << expected;
  EXPECT_NE(r.out.find("File name:   still.jpg\nFormat:      \nSample Rate: 0\nDuration:    00:00:00.00\n\n"),
            std::string::npos);
  EXPECT_EQ(r.out.find("Sound Descriptions:", r.out.find("still.jpg")), std::string::npos);
}

TEST_F(MediaReport, OutputFileInTheDestinationFolder) {
  MakeAac("a.m4a");
  const RunResult first = Run({"-dp", "out", "-fi", "info.txt", "a.m4a", "-fi2", "STDOUT"});
  ASSERT_EQ(first.status, 0) << first.err;
  const std::string report = ReadFile(dir.Path("out/info.txt"));
  EXPECT_EQ(report.substr(0, 17), "a.m4a\tm4a\tmp4a\t44");
  EXPECT_NE(report.find("File name:   a.m4a"), std::string::npos);  // the output stays with the file
  EXPECT_EQ(first.out.find("a.m4a\tm4a"), std::string::npos);

  const RunResult again = Run({"-dp", "out", "-fi", "info.txt", "a.m4a"});
  EXPECT_EQ(again.status, 3);
  EXPECT_EQ(again.err, "output file \"out/info.txt\" already exists\n  use -do to overwrite an existing output file\n");
  EXPECT_EQ(ReadFile(dir.Path("out/info.txt")), report);
  EXPECT_EQ(Run({"-do", "-dp", "out", "-fi", "info.txt", "a.m4a"}).status, 0);
  EXPECT_EQ(ReadFile(dir.Path("out/info.txt")), report.substr(0, report.find('\n') + 1));

  std::filesystem::create_directories(dir.Path("out/blocked.txt/inside"));
  const RunResult blocked = Run({"-do", "-dp", "out", "-fi", "blocked.txt", "a.m4a"});
  EXPECT_EQ(blocked.status, 3);
  EXPECT_NE(blocked.err.find("atempting to open output file \"out/blocked.txt\""), std::string::npos);
  EXPECT_EQ(RunTolva({"a.m4a", "-fi"}, dir.path(), home.path(), {{"TOLVA_NO_QUICKTIME", "1"}}).err,
            "unable to initialize QuickTime for Windows\n");
}

TEST_F(MediaReport, DamagedFilesAreReportedNeverCrash) {
  const std::string good = ReadFile(MakeAac("good.m4a"));
  std::string truncated = good.substr(0, good.size() / 2), lyingMoov = good, absurdCount = good, badEsds = good;
  Patch(lyingMoov, "moov", -4, "\x7F\xFF\xFF\xF0");
  Patch(absurdCount, "stsz", 12, "\xFF\xFF\xFF\xF0");
  Patch(badEsds, "esds", 8, std::string(12, '\xFF'));
  dir.Write("1-truncated.m4a", truncated);
  dir.Write("2-lying.m4a", lyingMoov);
  dir.Write("3-absurd.m4a", absurdCount);
  dir.Write("4-esds.m4a", badEsds);
  dir.Write("5-empty.m4a", "");
  std::filesystem::resize_file(dir.Write("6-sparse.m4a", ""), 4ull << 30);
  const RunResult r = Run({"-fi2", "stdout", "*.m4a"});
  ASSERT_EQ(r.status, 0) << r.err;
  for (const char* name : {"2-lying.m4a", "3-absurd.m4a", "5-empty.m4a", "6-sparse.m4a"})
    EXPECT_NE(r.err.find("unable to open media file \"" + dir.Path(name) + "\""), std::string::npos) << name;
  EXPECT_NE(r.out.find("File name:   4-esds.m4a"), std::string::npos);  // the description is there, the 'esds' is not
  EXPECT_NE(r.out.find("File name:   good.m4a"), std::string::npos);

  std::filesystem::create_directory(dir.Path("folder.m4a"));
  const RunResult folder = Run({"folder.m4a", "-fi"});
  EXPECT_EQ(folder.status, 2);
  EXPECT_EQ(folder.out.substr(folder.out.rfind("file does")),
            "file does not exists \"" + dir.Path("folder.m4a") + "\"\n");
}

TEST_F(MediaReport, TestCommandsCopyExportListAndPrint) {
  const std::string source = MakeAac("talk.m4a");
  const RunResult copy = Run({"talk.m4a", "-t2"});
  ASSERT_EQ(copy.status, 0) << copy.err;
  EXPECT_NE(copy.out.find("you have reached the test zone; test number 2\nparams: \nfiles: \n   " + source + "\n\n"),
            std::string::npos);
  const auto md5 = [](const std::string& f) { return ReaderSays("ffmpeg -v error -i " + Quote(f) + " -map 0:a -f md5 -"); };
  EXPECT_EQ(md5(dir.Path("test.mov")), md5(source));
  EXPECT_EQ(Probe(dir.Path("test.mov"), "stream=duration_ts"), Probe(source, "stream=duration_ts"));
  for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
    EXPECT_EQ(entry.path().filename().string().rfind("tst", 0), std::string::npos) << "temporary movie left behind";

  const RunResult exported = Run({"talk.m4a", "-t0"});
  ASSERT_EQ(exported.status, 0) << exported.err;
  EXPECT_EQ(md5(dir.Path("test.m4a")), md5(source));
  EXPECT_EQ(ReaderSays("mediainfo --Output='Audio;%Format%,%SamplingRate%' " + Quote(dir.Path("test.m4a"))),
            "AAC,44100\n");

  const RunResult listed = Run({"-t1"});
  EXPECT_NE(listed.out.find("  type:      spit\n  sub type:  MooV\n"), std::string::npos);

  const RunResult printOnly = Run({"-t5", "a", "b", "x.wav"});
  EXPECT_EQ(printOnly.status, 0);
  EXPECT_NE(printOnly.out.find("test number 5\nparams: \n   a\n   b\n   x.wav\nfiles: \n\n"), std::string::npos);

  const RunResult noInput = Run({"-t0"});
  EXPECT_EQ(noInput.status, 2);
  EXPECT_NE(noInput.out.find("need a file name for input - prefera a wav file\n"), std::string::npos);
  dir.Write("silent.jpg", ReadFile(Make("s.jpg", "ffmpeg -v error -f lavfi -i testsrc=size=32x32 -frames:v 1")));
  const RunResult noSound = Run({"silent.jpg", "-t2"});
  EXPECT_EQ(noSound.status, 2);
  EXPECT_EQ(noSound.err, "the file \"" + dir.Path("silent.jpg") + "\" does not contain an audio track recognized by Quicktime\n");
}
