#include "project/MovieChapters.h"

#include <algorithm>
#include <climits>

#include "formats/NeroChapterList.h"
#include "formats/TextSampleReader.h"

namespace {
constexpr std::int64_t kChplUnitsPerMillisecond = 10'000;

OSType MediaTypeOf(Track track) {
  OSType type = 0;
  if (Media media = GetTrackMedia(track)) GetMediaHandlerDescription(media, &type, nullptr, nullptr);
  return type;
}

bool IsText(Track track) {
  const OSType type = MediaTypeOf(track);
  return type == Tag("text") || type == Tag("sbtl");
}

// The tracks to look for a 'chap' list in: the sound tracks first, as players do.
std::vector<Track> TracksSoundFirst(Movie movie) {
  std::vector<Track> tracks;
  for (long i = 1; i <= GetMovieTrackCount(movie); ++i) tracks.push_back(GetMovieIndTrack(movie, i));
  std::stable_partition(tracks.begin(), tracks.end(), [](Track t) { return MediaTypeOf(t) == Tag("soun"); });
  return tracks;
}
}  // namespace

bool MovieChapters::Read(Movie movie) {
  chapters.clear();
  links.clear();
  source = Source::kNone;
  if (Track track = ChapterTrack(movie); track && ReadChapterTrack(track)) source = Source::kChapterTrack;
  else if (ReadChapterList(movie)) source = Source::kChapterList;
  else return false;
  ReadLinks(movie);
  return true;
}

// A project's times hold their whole seconds in 32 bits.
std::vector<std::string> MovieChapters::CutAt(std::int64_t end) {
  end = std::min<std::int64_t>(end, std::int64_t(INT32_MAX) * timeScale);
  std::vector<std::string> dropped;
  std::erase_if(chapters, [&](const Chapter& chapter) {
    if (chapter.start < end) return false;
    dropped.push_back(chapter.title);
    return true;
  });
  std::erase_if(links, [&](const Link& link) { return link.start >= end; });
  return dropped;
}

Track MovieChapters::ChapterTrack(Movie movie) const {
  for (Track track : TracksSoundFirst(movie))
    for (long i = 1; i <= GetTrackReferenceCount(track, kTrackReferenceChapterList); ++i) {
      Track named = GetTrackReference(track, kTrackReferenceChapterList, i);
      if (named && IsText(named) && GetMediaSampleCount(GetTrackMedia(named)) > 0) return named;
    }
  return nullptr;
}

bool MovieChapters::IsInChapterList(Movie movie, Track track) const {
  for (long t = 1; t <= GetMovieTrackCount(movie); ++t) {
    Track from = GetMovieIndTrack(movie, t);
    for (long i = 1; i <= GetTrackReferenceCount(from, kTrackReferenceChapterList); ++i)
      if (GetTrackReference(from, kTrackReferenceChapterList, i) == track) return true;
  }
  return false;
}

// The samples in time order, each placed where the track presents it; a
// sample that cannot be read or lasts no time is passed over.
std::vector<MovieChapters::TextSample> MovieChapters::TextSamples(Track track) const {
  std::vector<TextSample> samples;
  Media media = GetTrackMedia(track);
  std::vector<std::uint8_t> bytes;
  for (long n = 1; n <= GetMediaSampleCount(media); ++n) {
    TimeValue time = 0, duration = 0;
    SampleNumToMediaTime(media, n, &time, &duration);
    if (duration <= 0 || GetMediaSample(media, &bytes, kMaxTextSample, nullptr, time, nullptr, nullptr, nullptr,
                                        nullptr, 1, nullptr, nullptr) != noErr)
      continue;
    const auto content = TextSampleReader::Read(bytes);
    if (!content) continue;
    samples.push_back({StartOf(track, time), content->text, content->link.has_value(), content->link.value_or("")});
  }
  return samples;
}

// Movie time of a media time: the track's leading gap, then the media from
// where the track starts presenting it.
std::int64_t MovieChapters::StartOf(Track track, TimeValue mediaTime) const {
  const TimeValue offset = GetTrackOffset(track);
  const TimeValue first = std::max<TimeValue>(TrackTimeToMediaTime(offset, track), 0);
  const TimeScale movieScale = GetMovieTimeScale(GetTrackMovie(track));
  const TimeScale mediaScale = GetMediaTimeScale(GetTrackMedia(track));
  const std::int64_t start =
      ConvertTimeScale(offset, movieScale, timeScale) + ConvertTimeScale(mediaTime - first, mediaScale, timeScale);
  return std::max<std::int64_t>(start, 0);
}

bool MovieChapters::ReadChapterTrack(Track track) {
  const TimeScale scale = GetMediaTimeScale(GetTrackMedia(track));
  timeScale = scale > 0 ? scale : kMilliseconds;
  for (const TextSample& sample : TextSamples(track))
    if (chapters.empty() || sample.start > chapters.back().start) chapters.push_back({sample.start, sample.text});
  return !chapters.empty();
}

bool MovieChapters::ReadChapterList(Movie movie) {
  timeScale = kMilliseconds;
  std::vector<std::uint8_t> payload;
  if (GetUserData(GetMovieUserData(movie), &payload, Tag("chpl"), 1) != noErr) return false;
  const auto entries = NeroChapterList::Read(payload);
  if (!entries) return false;
  for (const NeroChapterList::Entry& entry : *entries) {
    const std::int64_t start =
        std::int64_t((entry.start + kChplUnitsPerMillisecond / 2) / kChplUnitsPerMillisecond);
    if (chapters.empty() || start > chapters.back().start) chapters.push_back({start, entry.title});
  }
  return !chapters.empty();
}

// The first text track outside the 'chap' lists with a link in it. A sample
// without a link ends the one before it.
void MovieChapters::ReadLinks(Movie movie) {
  for (long t = 1; t <= GetMovieTrackCount(movie); ++t) {
    Track track = GetMovieIndTrack(movie, t);
    if (!IsText(track) || IsInChapterList(movie, track)) continue;
    const std::vector<TextSample> samples = TextSamples(track);
    if (std::none_of(samples.begin(), samples.end(), [](const TextSample& s) { return s.hasLink; })) continue;
    for (const TextSample& sample : samples) {
      const bool afterLink = !links.empty() && !links.back().url.empty();
      if (sample.hasLink) links.push_back({sample.start, sample.link, sample.text});
      else if (afterLink) links.push_back({sample.start, "", ""});
    }
    return;
  }
}
