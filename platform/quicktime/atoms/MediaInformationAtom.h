#pragma once
#include <optional>
#include <vector>

#include "platform/quicktime/atoms/BaseMediaInfoHeaderAtom.h"
#include "platform/quicktime/atoms/DataInformationAtom.h"
#include "platform/quicktime/atoms/HandlerAtom.h"
#include "platform/quicktime/atoms/RawAtom.h"
#include "platform/quicktime/atoms/SampleTableAtom.h"
#include "platform/quicktime/atoms/SoundMediaHeaderAtom.h"
#include "platform/quicktime/atoms/VideoMediaHeaderAtom.h"

// 'minf': the media kind's own header, the data handler, the data references
// and the sample table.
struct MediaInformationAtom {
  static constexpr OSType kType = Tag("minf");
  std::optional<VideoMediaHeaderAtom> videoHeader;
  std::optional<SoundMediaHeaderAtom> soundHeader;
  std::optional<BaseMediaInfoHeaderAtom> baseHeader;
  std::optional<HandlerAtom> dataHandler;
  std::optional<DataInformationAtom> dataInformation;
  SampleTableAtom sampleTable;
  std::vector<RawAtom> others;

  template <class Io>
  void Transfer(Io& io) {
    io.Children(others, videoHeader, soundHeader, baseHeader, dataHandler, dataInformation, sampleTable);
  }
};
