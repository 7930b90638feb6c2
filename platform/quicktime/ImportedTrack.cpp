#include "platform/quicktime/ImportedTrack.h"

#include "platform/quicktime/QtErrors.h"
#include "platform/quicktime/TimeConversion.h"

namespace {
constexpr OSType kSound = Tag("soun");
constexpr std::int16_t kFullVolume = 0x100;
}  // namespace

OSErr ImportedTrack::AddTo(MovieRecord& movie, const ImportedMedia& imported) {
  if (imported.timeScale == 0 || imported.timeScale > INT32_MAX ||
      imported.sampleDescription.size() < MediaRecord::kDataRefIndexAt + 2)
    return noMovieFound;
  TrackRecord& track = movie.AddTrack();
  track.width = Fixed(imported.width) << 16;
  track.height = Fixed(imported.height) << 16;
  track.volume = imported.mediaType == kSound ? kFullVolume : 0;
  MediaRecord& media = track.media;
  media.type = imported.mediaType;
  media.timeScale = TimeScale(imported.timeScale);
  media.dataRefs.push_back(imported.path);
  std::vector<std::uint8_t> description = imported.sampleDescription;
  description[MediaRecord::kDataRefIndexAt] = 0;
  description[MediaRecord::kDataRefIndexAt + 1] = 1;
  media.descriptions.push_back(std::move(description));

  std::vector<SampleTable::TimeRun> times;
  std::uint64_t count = 0;
  for (const ImportedTimeRun& run : imported.timeToSample) {
    times.push_back({run.count, run.delta});
    count += run.count;
  }
  std::vector<SampleTable::Chunk> chunks;
  for (const ImportedChunk& chunk : imported.chunks) chunks.push_back({chunk.offset, chunk.sampleCount, 1});
  const OSErr err = media.samples.Assign(std::move(times), imported.constantSampleSize, count,
                                         SharedVector<std::uint32_t>(imported.sampleSizes),
                                         std::move(chunks), {}, {}, 1);
  if (err != noErr) return err;
  const ImportedEdit heard = imported.presented.value_or(ImportedEdit{0, media.Duration()});
  track.edits.push_back({std::uint64_t(ConvertTimeScale(std::int64_t(heard.duration), media.timeScale, movie.timeScale)),
                         std::int64_t(heard.start), fixed1});
  return noErr;
}
