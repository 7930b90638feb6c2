#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "TestSupport.h"

// A project folder with its own HOME and temporary folder, where the real
// program builds movies that ffprobe, mediainfo and the others then read.
class BuildFolder {
 public:
  BuildFolder() { dir.Write("home/.keep", ""), dir.Write("tmp/.keep", ""); }

  RunResult Tolva(const std::vector<std::string>& args) const {
    return RunTolva(args, dir.path(), dir.Path("home"), {{"TMPDIR", dir.Path("tmp")}});
  }
  // Files the build left in its temporary folder (nothing, when it cleaned up).
  std::vector<std::string> Leftovers() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path("tmp")))
      if (entry.path().filename() != ".keep") names.push_back(entry.path().filename());
    return names;
  }
  // An AAC file of a sine tone made by ffmpeg (without noise substitution,
  // whose random state would make joined decodes differ from lone ones).
  std::string Tone(const std::string& name, double seconds, int rate, int channels = 1, int hz = 440) const {
    const std::string path = dir.Path(name);
    MustRun("ffmpeg -v error -y -f lavfi -i sine=frequency=" + std::to_string(hz) + ":sample_rate=" +
            std::to_string(rate) + ":duration=" + std::to_string(seconds) + " -ac " + std::to_string(channels) +
            " -c:a aac -aac_pns 0 " + Quote(path));
    return path;
  }

  TempDir dir;
};

// A picture made by ffmpeg from one of its test sources, in the project folder.
inline std::string Picture(const BuildFolder& f, const std::string& name, const std::string& source) {
  MustRun("ffmpeg -v error -y -f lavfi -i " + source + " -frames:v 1 " + Quote(f.dir.Path(name)));
  return name;
}

// The PSNR of two pictures of one size, as ffmpeg measures it (1000 for identical ones).
inline double Psnr(const std::string& a, const std::string& b) {
  const std::string said = ReaderSays("(ffmpeg -i " + Quote(a) + " -i " + Quote(b) + " -lavfi psnr -f null - 2>&1)");
  const std::size_t at = said.find("average:");
  if (at == std::string::npos) return -1;
  return said.compare(at + 8, 3, "inf") == 0 ? 1000 : std::stod(said.substr(at + 8));
}

// The slide that ffmpeg shows `seconds` into the movie. Without
// -noaccurate_seek ffmpeg drops every frame that starts before the time, also
// a still that lasts past it (its own remux of the track does the same).
inline std::string FrameAt(const BuildFolder& f, const std::string& movie, const std::string& seconds) {
  const std::string frame = f.dir.Path("at" + seconds + ".png");
  MustRun("ffmpeg -v error -y -noaccurate_seek -ss " + seconds + " -i " + Quote(movie) + " -map 0:v -frames:v 1 " +
          Quote(frame));
  return frame;
}

// One value that ffprobe reports, e.g. Probe(f, "a:0", "stream=duration_ts").
inline std::string Probe(const std::string& file, const std::string& stream, const std::string& entries) {
  std::string out = ReaderSays("ffprobe -v error " + (stream.empty() ? "" : "-select_streams " + stream + " ") +
                               "-show_entries " + entries + " -of csv=p=0 " + Quote(file));
  while (!out.empty() && (out.back() == '\n' || out.back() == ',')) out.pop_back();
  return out;
}

inline std::int64_t ProbeNumber(const std::string& file, const std::string& stream, const std::string& entries) {
  const std::string text = Probe(file, stream, entries);
  return text.empty() ? -1 : std::stoll(text);
}

// The chapters as ffprobe lists them: "start_time,title" per line.
inline std::string Chapters(const std::string& file) {
  return ReaderSays("ffprobe -v error -show_entries chapter=start_time:chapter_tags=title -of csv=p=0 " + Quote(file));
}

// The chapters as VLC lists them while it plays the file muted: "milliseconds\ttitle" per line.
inline std::string VlcChapters(const std::string& file) {
  return ReaderSays(
      "/usr/bin/python3 -c \"import sys, time, vlc\n"
      "vlc_ = vlc.Instance('--intf=dummy', '--aout=dummy', '--vout=dummy', '--quiet')\n"
      "p = vlc_.media_player_new(); p.set_media(vlc_.media_new_path(sys.argv[1])); p.play()\n"
      "for _ in range(200):\n"
      "    if p.get_state() in (vlc.State.Playing, vlc.State.Ended, vlc.State.Error): break\n"
      "    time.sleep(0.05)\n"
      "for c in p.get_full_chapter_descriptions(-1) or []:\n"
      "    print('%d\\t%s' % (c.time_offset, c.name.decode() if isinstance(c.name, bytes) else c.name))\n"
      "p.stop()\" " +
      Quote(file) + " 2>/dev/null");
}

// The md5 of the decoded sound from sample `first` for `count` samples (all when count < 0).
inline std::string DecodedMd5(const std::string& file, std::int64_t first = 0, std::int64_t count = -1) {
  std::string trim = "atrim=start_sample=" + std::to_string(first);
  if (count >= 0) trim += ":end_sample=" + std::to_string(first + count);
  return ReaderSays("ffmpeg -v error -i " + Quote(file) + " -map 0:a -af " + trim + " -f md5 -");
}

// Decoded samples of the sound (mono or the first channel's frames), as ffmpeg counts them.
inline std::int64_t DecodedSamples(const std::string& file) {
  const std::string bytes = ReaderSays("ffmpeg -v error -i " + Quote(file) + " -map 0:a -ac 1 -f s16le -");
  return std::int64_t(bytes.size() / 2);
}

