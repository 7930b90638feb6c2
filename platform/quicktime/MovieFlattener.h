#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/quicktime/QtTypes.h"
#include "platform/quicktime/atoms/FileTypeAtom.h"
#include "platform/quicktime/atoms/MovieAtom.h"
#include "platform/quicktime/model/MovieRecord.h"

// Writes a movie as one self-contained file: a 32-byte 'ftyp', the 'moov',
// then one 'mdat' holding every sample the movie refers to, in chunks of
// about half a second interleaved across tracks by time. The file is written
// without a name and takes it only when whole: a failure or a kill leaves
// nothing, and an existing file of that name is replaced only then. A movie
// without samples is refused.
class MovieFlattener {
 public:
  // Told the fraction done as bytes are copied; an error stops the flatten.
  using Progress = std::function<OSErr(double fraction)>;

  explicit MovieFlattener(const MovieRecord& movie);
  // The brands the file claims; a QuickTime movie unless set.
  void SetFileType(FileTypeAtom fileType) { fileType_ = std::move(fileType); }
  OSErr WriteTo(const std::string& path, const Progress& progress);
  // WriteTo, telling the movie's progress procedure that the flatten opens,
  // how far it has come and that it closes; a refusal stops it.
  OSErr WriteWithProgress(const std::string& path);

  // The movie as the file just written holds it, made from what was written
  // rather than read back; its sample sizes stay shared with the source's.
  // Once, after WriteTo succeeded.
  OSErr TakeWritten(MovieRecord& flat);
  // Why the last write failed, in plain words.
  const std::string& Why() const { return why_; }

 private:
  // A stretch of one track's samples that becomes one chunk of the output.
  struct PlannedChunk {
    std::uint64_t sourceOffset = 0, bytes = 0, duration = 0;
    std::uint32_t sampleCount = 0, description = 1;  // the source's 1-based description
  };
  struct TrackPlan {
    std::vector<PlannedChunk> chunks;
    std::vector<std::uint32_t> descriptionMap;  // source index - 1 -> output index
    std::vector<std::vector<std::uint8_t>> descriptions;
  };

  bool PlanChunks();  // false when the movie would need more chunks than any file can hold
  void Interleave();
  MovieAtom BuildMovieAtom();
  TrackAtom BuildTrackAtom(const TrackRecord& track, TrackPlan& plan);
  void FillSampleTable(const MediaRecord& media, TrackPlan& plan, SampleTableAtom& table);
  std::vector<std::uint64_t>& OffsetsOf(std::size_t track);
  std::uint64_t PlaceChunks();
  OSErr WriteHead(int out);
  OSErr CopyChunks(int out, const Progress& progress);
  OSErr Failed(OSErr err, std::string why);
  const std::string& SourceOf(std::size_t track, const PlannedChunk& chunk) const;

  const MovieRecord& movie_;
  FileTypeAtom fileType_;
  std::vector<TrackPlan> plans_;
  std::vector<std::uint32_t> order_;  // the track of each chunk, in file order
  MovieAtom atoms_;
  std::string writtenTo_;  // until the written movie is taken
  std::string why_;
  std::uint64_t mdatPayload_ = 0, firstChunkAt_ = 0;
};
