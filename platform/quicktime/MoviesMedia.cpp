// The media family: clock and duration, sample additions and reads, data
// references and sample descriptions.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>

#include "platform/quicktime/DescriptionByteOrder.h"
#include "platform/quicktime/MovieStorage.h"
#include "platform/quicktime/Movies.h"
#include "platform/quicktime/ToolboxState.h"
#include "platform/quicktime/model/MovieRecord.h"

namespace {
OSErr Done(OSErr err) { return ToolboxState::Result(err); }

// A description as handed in, in file order, naming data reference `fallback`
// when it names none.
bool FileDescription(const MediaRecord& media, SampleDescriptionHandle handle, std::uint16_t fallback,
                     std::vector<std::uint8_t>& bytes) {
  if (!handle || handle->size() < MediaRecord::kDataRefIndexAt + 2) return false;
  bytes = *handle;
  DescriptionByteOrder::ToFile(media.type, bytes);
  const std::uint32_t size = std::uint32_t(bytes[0]) << 24 | bytes[1] << 16 | bytes[2] << 8 | bytes[3];
  if (size != bytes.size()) return false;
  if (bytes[MediaRecord::kDataRefIndexAt] == 0 && bytes[MediaRecord::kDataRefIndexAt + 1] == 0) {
    bytes[MediaRecord::kDataRefIndexAt] = std::uint8_t(fallback >> 8);
    bytes[MediaRecord::kDataRefIndexAt + 1] = std::uint8_t(fallback);
  }
  return true;
}

OSErr AddSamples(MediaRecord& media, std::uint64_t offset, unsigned long size, TimeValue duration,
                 const std::vector<std::uint8_t>& description, long count, short flags, TimeValue* sampleTime) {
  if (count <= 0 || duration < 0 || size % std::uint64_t(count) != 0) return paramErr;
  // the sample table holds each sample's size and duration in 32 bits
  if (size / std::uint64_t(count) > UINT32_MAX || duration > TimeValue(UINT32_MAX) || std::uint64_t(count) > UINT32_MAX)
    return paramErr;
  const std::uint32_t index = media.ShareDescription(description);
  const std::uint16_t ref = media.DataRefOf(index);
  if (ref == 0 || ref > media.dataRefs.size()) return badDataRefIndex;
  if (sampleTime) *sampleTime = TimeValue(media.Duration());
  media.samples.AppendSamples(offset, std::uint32_t(size / std::uint64_t(count)), std::uint32_t(duration),
                              std::uint32_t(count), index, !(flags & mediaSampleNotSync));
  return noErr;
}

// Where sample `index` (from 0) lies: its offset in its file, its size and description.
struct SamplePlace {
  std::uint64_t offset = 0, size = 0;
  std::uint32_t description = 0;
};

bool PlaceOf(const SampleTable& samples, std::uint64_t index, SamplePlace& place) {
  std::uint64_t first = 0;
  for (const SampleTable::Chunk& chunk : samples.Chunks()) {
    if (index >= first + chunk.sampleCount) {
      first += chunk.sampleCount;
      continue;
    }
    std::uint64_t before = 0;
    std::uint32_t size = 0;
    if (samples.BytesOf(first, index - first, before) != noErr || samples.SampleSize(index, size) != noErr) return false;
    place.offset = chunk.offset + before;
    place.size = size;
    place.description = chunk.description;
    return true;
  }
  return false;
}

OSErr ReadBytes(const std::string& path, std::uint64_t offset, std::vector<std::uint8_t>& bytes) {
  const int fd = MovieStorage::OpenForReading(path);
  if (fd < 0) return ToolboxState::Failure(couldNotResolveDataRef, "cannot open \"" + path + "\"");
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::pread(fd, bytes.data() + done, bytes.size() - done, off_t(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += std::size_t(n);
  }
  ::close(fd);
  if (done == bytes.size()) return noErr;
  return ToolboxState::Failure(ioErr, "\"" + path + "\" ends inside a sample");
}

bool IsSync(const SampleTable& samples, std::uint64_t index) {
  const auto& sync = samples.SyncSamples();
  return !sync || std::binary_search(sync->begin(), sync->end(), std::uint32_t(index + 1));
}
}  // namespace

TimeScale GetMediaTimeScale(Media media) {
  if (!media) return Done(invalidMedia), 0;
  Done(noErr);
  return media->timeScale;
}

TimeValue GetMediaDuration(Media media) {
  if (!media) return Done(invalidMedia), 0;
  return ToolboxState::Duration(media->Duration());
}

TimeValue GetMediaPresentedDuration(Media media) {
  if (!media) return Done(invalidMedia), 0;
  // A movie clock coarser than the media's cannot say where the media ends to
  // the sample: an edit that runs past the end presents only what is there.
  const TimeScale movieScale = media->track.movie.timeScale;
  const std::uint64_t mediaEnd = media->Duration();
  std::uint64_t inMovieUnits = 0, inMediaUnits = 0;
  for (const TrackRecord::Edit& edit : media->track.edits) {
    if (edit.mediaTime < 0) continue;
    const std::uint64_t from = std::min(std::uint64_t(edit.mediaTime), mediaEnd);
    const auto covered = std::uint64_t(ConvertTimeScale(std::int64_t(edit.trackDuration), movieScale, media->timeScale));
    if (covered >= mediaEnd - from)
      inMediaUnits += mediaEnd - from;
    else
      inMovieUnits += edit.trackDuration;
  }
  const TimeValue uncut = ToolboxState::Duration(inMovieUnits);
  if (GetMoviesError() != noErr) return 0;
  return ToolboxState::Duration(std::uint64_t(ConvertTimeScale(uncut, movieScale, media->timeScale)) + inMediaUnits);
}

OSErr BeginMediaEdits(Media media) {
  if (!media) return Done(invalidMedia);
  media->editing = true;
  return Done(noErr);
}

OSErr EndMediaEdits(Media media) {
  if (!media) return Done(invalidMedia);
  media->editing = false;
  return Done(noErr);
}

OSErr AddMediaSample(Media media, Handle data, long offset, unsigned long size, TimeValue duration,
                     SampleDescriptionHandle description, long sampleCount, short flags, TimeValue* sampleTime) {
  if (!media) return Done(invalidMedia);
  const std::string& file = media->track.movie.storagePath;
  if (!data || offset < 0 || std::uint64_t(offset) + size > data->size() || file.empty()) return Done(paramErr);
  std::vector<std::uint8_t> bytes;
  if (!FileDescription(*media, description, media->ShareDataRef(file), bytes)) return Done(invalidSampleDescription);
  std::uint64_t at = 0;
  if (const OSErr err = MovieStorage::Append(file, data->data() + offset, size, at); err != noErr) return Done(err);
  return Done(AddSamples(*media, at, size, duration, bytes, sampleCount, flags, sampleTime));
}

OSErr AddMediaSampleReference(Media media, long dataOffset, unsigned long size, TimeValue duration,
                              SampleDescriptionHandle description, long sampleCount, short flags,
                              TimeValue* sampleTime) {
  if (!media) return Done(invalidMedia);
  if (dataOffset < 0) return Done(paramErr);
  std::vector<std::uint8_t> bytes;
  if (!FileDescription(*media, description, 1, bytes)) return Done(invalidSampleDescription);
  return Done(AddSamples(*media, std::uint64_t(dataOffset), size, duration, bytes, sampleCount, flags, sampleTime));
}

OSErr AddMediaDataRef(Media media, short* index, Handle dataRef, OSType) {
  if (!media) return Done(invalidMedia);
  if (!dataRef || dataRef->empty() || !index) return Done(paramErr);
  *index = short(media->ShareDataRef(std::string(dataRef->begin(), dataRef->end())));
  return Done(noErr);
}

long GetMediaSampleDescriptionCount(Media media) {
  if (!media) return Done(invalidMedia), 0;
  Done(noErr);
  return long(media->descriptions.size());
}

void GetMediaSampleDescription(Media media, long index, SampleDescriptionHandle description) {
  if (!media) return void(Done(invalidMedia));
  if (!description) return void(Done(paramErr));
  if (index < 1 || std::size_t(index) > media->descriptions.size()) return void(Done(invalidSampleDescIndex));
  *description = media->descriptions[std::size_t(index - 1)];
  DescriptionByteOrder::ToHost(media->type, *description);
  Done(noErr);
}

OSErr SetMediaSampleDescription(Media media, long index, SampleDescriptionHandle description) {
  if (!media) return Done(invalidMedia);
  if (index < 1 || std::size_t(index) > media->descriptions.size()) return Done(invalidSampleDescIndex);
  std::vector<std::uint8_t> bytes;
  if (!FileDescription(*media, description, media->DataRefOf(std::uint32_t(index)), bytes))
    return Done(invalidSampleDescription);
  media->descriptions[std::size_t(index - 1)] = std::move(bytes);
  return Done(noErr);
}

MediaHandler GetMediaHandler(Media media) {
  Done(media ? noErr : invalidMedia);
  return media;
}

long GetMediaSampleCount(Media media) {
  if (!media) return Done(invalidMedia), 0;
  Done(noErr);
  return long(std::min<std::uint64_t>(media->samples.SampleCount(), LONG_MAX));
}

void SampleNumToMediaTime(Media media, long sampleNumber, TimeValue* sampleTime, TimeValue* sampleDuration) {
  if (sampleTime) *sampleTime = -1;
  if (sampleDuration) *sampleDuration = 0;
  if (!media) return void(Done(invalidMedia));
  if (sampleNumber < 1 || std::uint64_t(sampleNumber) > media->samples.SampleCount())
    return void(Done(invalidSampleNum));
  const std::uint64_t start = media->samples.StartOf(std::uint64_t(sampleNumber - 1));
  if (sampleTime) *sampleTime = TimeValue(start);
  if (sampleDuration) *sampleDuration = TimeValue(media->samples.StartOf(std::uint64_t(sampleNumber)) - start);
  Done(noErr);
}

OSErr GetMediaSample(Media media, Handle dataOut, long maxSizeToGrow, long* size, TimeValue time,
                     TimeValue* sampleTime, TimeValue* durationPerSample, SampleDescriptionHandle sampleDescription,
                     long* sampleDescriptionIndex, long, long* numberOfSamples, short* sampleFlags) {
  if (!media) return Done(invalidMedia);
  std::uint64_t index = 0, start = 0;
  if (time < 0 || !media->samples.Locate(std::uint64_t(time), index, start)) return Done(invalidTime);
  SamplePlace place;
  if (!PlaceOf(media->samples, index, place)) return Done(invalidSampleTable);
  if (maxSizeToGrow > 0 && place.size > std::uint64_t(maxSizeToGrow)) return Done(paramErr);
  const std::uint16_t ref = media->DataRefOf(place.description);
  if (ref == 0 || ref > media->dataRefs.size()) return Done(badDataRefIndex);
  if (dataOut) {
    dataOut->resize(std::size_t(place.size));
    if (const OSErr err = ReadBytes(media->dataRefs[ref - 1u], place.offset, *dataOut); err != noErr) return err;
  }
  if (size) *size = long(place.size);
  if (sampleTime) *sampleTime = TimeValue(start);
  if (durationPerSample) *durationPerSample = TimeValue(media->samples.StartOf(index + 1) - start);
  if (sampleDescriptionIndex) *sampleDescriptionIndex = long(place.description);
  if (numberOfSamples) *numberOfSamples = 1;
  if (sampleFlags) *sampleFlags = IsSync(media->samples, index) ? 0 : mediaSampleNotSync;
  if (sampleDescription) GetMediaSampleDescription(media, long(place.description), sampleDescription);
  return Done(noErr);
}
