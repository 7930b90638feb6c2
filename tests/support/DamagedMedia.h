#pragma once
#include <string>
#include <vector>

#include "TestSupport.h"

// A corpus of damaged and unusual sound files, made from small files that
// ffmpeg generates: each seed cut short at several places and with single
// bytes changed, and the shapes other tools leave behind (a 'moov' or 'mdat'
// running past the end, tables whose counts disagree, a second 'udta',
// unknown atoms, junk or a tag before the first MP3 or ADTS frame, frames
// broken in the middle, odd WAV chunks without a pad byte, BW64, extensible
// formats). The same seeds give the same corpus on every run.
struct DamagedFile {
  std::string path;
  std::string how;  // what was done to its seed, for messages
};
std::vector<DamagedFile> MakeDamagedCorpus(const TempDir& dir);

// Sound that no movie here carries (A-law, µ-law, IMA ADPCM in WAV): each
// file with the codec name its refusal must give.
struct RefusedFile {
  std::string path;
  std::string codec;
};
std::vector<RefusedFile> MakeRefusedCodecs(const TempDir& dir);
