#include "DamagedMedia.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

namespace {

struct Seed {
  std::string name, command;  // command: ffmpeg options after the input, before the output
};

// About a second each, at different rates, so that a swap of fields shows.
const std::vector<Seed> kSeeds{
    {"aac.m4a", "-c:a aac -b:a 96k"},                            // 'moov' after 'mdat'
    {"fast.m4a", "-ar 32000 -c:a aac -b:a 64k -movflags +faststart"},  // 'moov' first
    {"pcm.mov", "-ar 22050 -c:a pcm_s16le"},
    {"cbr.mp3", "-c:a libmp3lame -b:a 128k"},
    {"vbr.mp3", "-ar 48000 -c:a libmp3lame -q:a 4"},
    {"tone.aac", "-ar 24000 -c:a aac -f adts"},
    {"s16.wav", "-ac 2 -c:a pcm_s16le"},
    {"u8.wav", "-ar 8000 -c:a pcm_u8"},
    {"rf64.wav", "-ar 16000 -c:a pcm_s24le -rf64 always"},
    {"tone.aiff", "-ar 11025 -c:a pcm_s16be"},
};

void SetLittle(std::string& b, std::size_t at, std::uint64_t v, int width) {
  b.replace(at, std::size_t(width), LittleEndian(v, width));
}

// The header offsets of the atoms on `path` ("moov/trak/mdia"), outermost
// first; fewer than the names when one is missing.
std::vector<std::size_t> AtomPath(const std::string& b, const std::string& path) {
  std::vector<std::size_t> found;
  std::size_t from = 0, to = b.size();
  for (std::size_t start = 0; start <= path.size();) {
    const std::size_t slash = std::min(path.find('/', start), path.size());
    const std::string name = path.substr(start, slash - start);
    std::size_t at = from;
    for (; at + 8 <= to; at += Big32At(b, at)) {
      const std::uint32_t size = Big32At(b, at);
      if (size < 8 || at + size > to) return found;
      if (b.compare(at + 4, 4, name) == 0) break;
    }
    if (at + 8 > to) return found;
    found.push_back(at);
    from = at + 8;
    to = at + Big32At(b, at);
    start = slash + 1;
  }
  return found;
}

std::size_t AtomAt(const std::string& b, const std::string& path) {
  const std::vector<std::size_t> chain = AtomPath(b, path);
  const std::size_t depth = std::size_t(std::count(path.begin(), path.end(), '/')) + 1;
  return chain.size() == depth ? chain.back() : std::string::npos;
}

// `bytes` put at the end of the atom on `path`, every atom holding it grown to match.
std::string InsertAtEnd(std::string b, const std::string& path, const std::string& bytes) {
  const std::vector<std::size_t> chain = AtomPath(b, path);
  if (chain.empty()) return {};
  b.insert(chain.back() + Big32At(b, chain.back()), bytes);
  for (std::size_t at : chain) PutBig32(b, at, Big32At(b, at) + std::uint32_t(bytes.size()));
  return b;
}

template <std::size_t N>
std::string Bytes(const char (&literal)[N]) {
  return std::string(literal, N - 1);
}

std::string Atom(const std::string& type, const std::string& payload) {
  std::string a(4, '\0');
  PutBig32(a, 0, std::uint32_t(8 + payload.size()));
  return a + type + payload;
}

// A small deterministic generator, so that every run makes the same corpus.
class Lcg {
 public:
  explicit Lcg(std::uint64_t seed) : state_(seed * 2862933555777941757ull + 3037000493ull) {}
  std::uint64_t Below(std::uint64_t n) {
    state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
    return n == 0 ? 0 : (state_ >> 33) % n;
  }

 private:
  std::uint64_t state_;
};

class Corpus {
 public:
  explicit Corpus(const TempDir& dir) : dir_(dir) {}

  void Add(const std::string& seedName, const std::string& how, const std::string& bytes) {
    if (bytes.empty()) return;
    const std::string name = std::to_string(files.size()) + "-" + seedName;
    files.push_back({dir_.Write("corpus/" + name, bytes), seedName + ": " + how});
  }

  void CutsAndFlips(const std::string& name, const std::string& b, std::uint64_t seed) {
    for (double keep : {0.99, 0.95, 0.9, 0.75, 0.5})
      Add(name, "cut to " + std::to_string(keep), b.substr(0, std::size_t(double(b.size()) * keep)));
    for (std::size_t less : {1, 7, 100}) Add(name, "last " + std::to_string(less) + " bytes cut", b.substr(0, b.size() - less));
    Lcg random(seed);
    for (int i = 0; i < 8; ++i) {
      std::string flipped = b;
      // half in the first 4 KiB, where the headers and tables mostly are
      const std::size_t at = std::size_t(random.Below(i % 2 == 0 ? std::min<std::size_t>(4096, b.size()) : b.size()));
      flipped[at] = char(flipped[at] ^ std::uint8_t(1 + random.Below(255)));
      Add(name, "byte " + std::to_string(at) + " changed", flipped);
    }
  }

  std::vector<DamagedFile> files;

 private:
  const TempDir& dir_;
};

void MovieShapes(Corpus& corpus, const std::string& name, const std::string& b) {
  const std::size_t moov = AtomAt(b, "moov"), mdat = AtomAt(b, "mdat");
  if (moov == std::string::npos || mdat == std::string::npos) return;
  const std::size_t last = std::max(moov, mdat);
  for (std::uint32_t over : {3u, 8u}) {
    std::string longer = b;
    PutBig32(longer, last, Big32At(b, last) + over);
    corpus.Add(name, std::string(last == moov ? "'moov'" : "'mdat'") + " runs past the end", longer);
  }
  const std::size_t stsz = AtomAt(b, "moov/trak/mdia/minf/stbl/stsz");
  const std::size_t stts = AtomAt(b, "moov/trak/mdia/minf/stbl/stts");
  if (stsz != std::string::npos && Big32At(b, stsz + 12) == 0) {
    for (int delta : {-2, -1, 1, 3}) {
      std::string counted = b;
      PutBig32(counted, stsz + 16, Big32At(b, stsz + 16) + std::uint32_t(delta));
      corpus.Add(name, "'stsz' count off by " + std::to_string(delta), counted);
    }
  }
  if (stts != std::string::npos && Big32At(b, stts + 12) >= 1) {
    const std::size_t lastRun = stts + 16 + 8 * (Big32At(b, stts + 12) - 1);
    for (int delta : {-2, 2}) {
      std::string counted = b;
      PutBig32(counted, lastRun, Big32At(b, lastRun) + std::uint32_t(delta));
      corpus.Add(name, "'stts' count off by " + std::to_string(delta), counted);
    }
  }
  if (moov < mdat) return;  // the shapes below grow the 'moov', which would move the samples after it
  if (const std::size_t udta = AtomAt(b, "moov/udta"); udta != std::string::npos)
    corpus.Add(name, "two 'udta'", InsertAtEnd(b, "moov", b.substr(udta, Big32At(b, udta))));
  corpus.Add(name, "'uuid' and 'free' in the track", InsertAtEnd(b, "moov/trak", Atom("uuid", std::string(16, 'u') + "abc") + Atom("free", "")));
  corpus.Add(name, "'sgpd' and 'sbgp' in the sample table",
             InsertAtEnd(b, "moov/trak/mdia/minf/stbl",
                         Atom("sgpd", Bytes("\1\0\0\0roll\0\0\0\2\0\0\0\1\377\377")) +
                             Atom("sbgp", Bytes("\0\0\0\0roll\0\0\0\1\0\0\0\5\0\0\0\1"))));
  const std::string damaged = Atom("udta", Atom("meta", Bytes("\0\0\0\0\0\0\1\0hdlr")));  // a child larger than its parent
  corpus.Add(name, "a damaged 'udta' in the track", InsertAtEnd(b, "moov/trak", damaged));
  std::string overlong = Atom("junk", "abcd");
  PutBig32(overlong, 0, 0x400);
  corpus.Add(name, "an atom that runs past the end of 'moov'", InsertAtEnd(b, "moov", overlong));
}

void StreamShapes(Corpus& corpus, const std::string& name, const std::string& b, const std::string& frameStart) {
  Lcg random(b.size());
  std::string junk;
  for (int i = 0; i < 1500; ++i) junk += char(random.Below(256) & 0x7F);  // no 0xFF: no false frame header
  corpus.Add(name, "junk before the first frame", junk.substr(0, 417) + b);
  const std::string id3 = Bytes("ID3\3\0\0\0\0\0\x14") + std::string(20, '\0');
  corpus.Add(name, "ID3 tag and junk before the first frame", id3 + junk.substr(0, 100) + b);
  // frames broken off in the middle: bytes of a frame taken out, junk put between frames
  const std::size_t first = b.find(frameStart, b.size() / 3), second = b.find(frameStart, b.size() * 2 / 3);
  if (first == std::string::npos || second == std::string::npos) return;
  std::string broken = b;
  broken.erase(second + 40, 60);
  broken.erase(first + 30, 50);
  corpus.Add(name, "two frames broken in the middle", broken);
  std::string between = b;
  between.insert(first, junk.substr(0, 333));
  corpus.Add(name, "junk between frames", between);
}

// A WAV's 'fmt ' chunk rewritten as WAVE_FORMAT_EXTENSIBLE with the sub-format `tag`.
std::string Extensible(const std::string& b, std::uint16_t tag) {
  const std::size_t fmt = b.find("fmt ");
  if (fmt == std::string::npos) return {};
  std::string format = b.substr(fmt + 8, 16);
  SetLittle(format, 0, 0xFFFE, 2);
  const std::string guidTail = Bytes("\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71");
  format += LittleEndian(22, 2) + format.substr(14, 2) + LittleEndian(3, 4) + LittleEndian(tag, 2) +
            std::string(2, '\0') + guidTail;
  std::string out = b.substr(0, fmt) + "fmt " + LittleEndian(40, 4) + format + b.substr(fmt + 8 + 16);
  SetLittle(out, 4, out.size() - 8, 4);
  return out;
}

void WavShapes(Corpus& corpus, const std::string& name, const std::string& b) {
  const std::size_t data = b.find("data");
  if (data == std::string::npos) return;
  corpus.Add(name, "an odd 'LIST' chunk without its pad byte",
             b.substr(0, data) + "LIST" + LittleEndian(13, 4) + "INFOISFT" + LittleEndian(1, 4) + "x" + b.substr(data));
  corpus.Add(name, "extensible PCM", Extensible(b, 1));
  std::string sizeless = b;
  SetLittle(sizeless, data + 4, 0, 4);
  corpus.Add(name, "data chunk size left at zero", sizeless);
  if (b.compare(0, 4, "RF64") == 0) corpus.Add(name, "BW64", "BW64" + b.substr(4));
}

std::string MakeSeed(const TempDir& dir, const Seed& seed) {
  const std::string path = dir.Path("seeds/" + seed.name);
  MustRun("mkdir -p " + Quote(dir.Path("seeds")) + " && ffmpeg -v error -f lavfi -i sine=frequency=440:duration=1.3 " +
          seed.command + " " + Quote(path));
  return ReadFile(path);
}

}  // namespace

std::vector<DamagedFile> MakeDamagedCorpus(const TempDir& dir) {
  Corpus corpus(dir);
  std::uint64_t number = 0;
  for (const Seed& seed : kSeeds) {
    const std::string b = MakeSeed(dir, seed);
    corpus.Add(seed.name, "as made", b);
    corpus.CutsAndFlips(seed.name, b, ++number);
    const std::string ext = seed.name.substr(seed.name.rfind('.') + 1);
    if (ext == "m4a" || ext == "mov") MovieShapes(corpus, seed.name, b);
    if (ext == "mp3") StreamShapes(corpus, seed.name, b, "\xFF\xFB");
    if (ext == "aac") StreamShapes(corpus, seed.name, b, "\xFF\xF1");
    if (ext == "wav") WavShapes(corpus, seed.name, b);
  }
  const std::string floats = dir.Path("seeds/f32.wav");
  MustRun("ffmpeg -v error -f lavfi -i sine=duration=0.7 -ar 44100 -c:a pcm_f32le " + Quote(floats));
  corpus.Add("f32.wav", "extensible float", Extensible(ReadFile(floats), 3));
  return corpus.files;
}

std::vector<RefusedFile> MakeRefusedCodecs(const TempDir& dir) {
  const std::vector<RefusedFile> codecs{{"pcm_alaw", "A-law"}, {"pcm_mulaw", "\u00b5-law"}, {"adpcm_ima_wav", "IMA ADPCM"},
                                        {"adpcm_ms", "Microsoft ADPCM"}};
  std::vector<RefusedFile> files;
  for (const RefusedFile& codec : codecs) {
    const std::string path = dir.Path(codec.path + ".wav");
    MustRun("ffmpeg -v error -f lavfi -i sine=duration=0.5 -ar 8000 -c:a " + codec.path + " " + Quote(path));
    files.push_back({path, codec.codec});
  }
  return files;
}
