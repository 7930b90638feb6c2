#pragma once
#include <optional>
#include <vector>

#include "platform/quicktime/atoms/ChunkOffsetAtom.h"
#include "platform/quicktime/atoms/CompositionOffsetAtom.h"
#include "platform/quicktime/atoms/RawAtom.h"
#include "platform/quicktime/atoms/SampleDescriptionAtom.h"
#include "platform/quicktime/atoms/SampleSizeAtom.h"
#include "platform/quicktime/atoms/SampleToChunkAtom.h"
#include "platform/quicktime/atoms/SyncSampleAtom.h"
#include "platform/quicktime/atoms/TimeToSampleAtom.h"

// 'stbl': where every sample of a media lies, how long it lasts and how it is
// coded.
struct SampleTableAtom {
  static constexpr OSType kType = Tag("stbl");
  static constexpr bool kChildrenMustBeWhole = true;
  SampleDescriptionAtom descriptions;
  TimeToSampleAtom timeToSample;
  std::optional<CompositionOffsetAtom> compositionOffsets;
  SampleToChunkAtom sampleToChunk;
  SampleSizeAtom sampleSizes;
  ChunkOffsetAtom chunkOffsets;
  std::optional<SyncSampleAtom> syncSamples;
  std::vector<RawAtom> others;

  template <class Io>
  void Transfer(Io& io) {
    io.Children(others, descriptions, timeToSample, compositionOffsets, sampleToChunk, sampleSizes, chunkOffsets,
                syncSamples);
  }
};
