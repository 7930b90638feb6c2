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
// without samples is refused. Nothing is held per chunk or per sample: the
// chunks are laid out again for each pass, and the tables that grow with the
// movie are made or read back a block at a time as they are written.
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
  // rather than read back; its sample sizes stay shared with the source's,
  // and chunks that lie back to back in the file are one. Once, after
  // WriteTo succeeded.
  OSErr TakeWritten(MovieRecord& flat);
  // Why the last write failed, in plain words.
  const std::string& Why() const { return why_; }

 private:
  // What one track's tables need to know of its chunks before they are written.
  struct TrackPlan {
    std::vector<std::uint32_t> descriptionMap;  // source index - 1 -> output index
    std::vector<std::vector<std::uint8_t>> descriptions;
    std::uint64_t chunkCount = 0, lastChunkAt = 0;  // where its last chunk starts in the media data
    std::vector<SampleToChunkAtom::Run> toChunk;
  };

  void PlanDescriptions();
  // Counts the chunks and the media data; fails when a size cannot be read or
  // the movie would need more chunks than any file can hold.
  OSErr PlanChunks(std::uint64_t& chunkCount);
  MovieAtom BuildMovieAtom();
  TrackAtom BuildTrackAtom(std::size_t index);
  void FillSampleTable(std::size_t index, SampleTableAtom& table);
  // Hands `put` the offset of every chunk of `track`, in order.
  OSErr OffsetsOf(std::size_t track, const EntryStream::Put& put);
  std::uint64_t PlaceChunks();
  OSErr WriteHead(int out);
  OSErr CopyChunks(int out, const Progress& progress);
  OSErr Failed(OSErr err, std::string why);
  const std::string& SourceOf(std::size_t track, std::uint32_t description) const;
  // Each track's chunks as stretches that lie back to back in the written file.
  OSErr JoinWrittenChunks();

  const MovieRecord& movie_;
  FileTypeAtom fileType_;
  std::vector<TrackPlan> plans_;
  MovieAtom atoms_;
  std::string writtenTo_;  // until the written movie is taken
  std::string why_;
  std::uint64_t mdatPayload_ = 0, firstChunkAt_ = 0;
};
