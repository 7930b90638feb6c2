// makeSilenceWav <seconds> <rate> <out.wav>: a mono 16-bit WAV of silence,
// the source of the silence padding files that the build encodes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {
void PutLittle(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::string WavHeader(uint32_t rate, uint32_t dataBytes) {
  std::string h = "RIFF";
  PutLittle(h, 36 + dataBytes, 4);
  h += "WAVEfmt ";
  PutLittle(h, 16, 4);
  PutLittle(h, 1, 2);  // PCM
  PutLittle(h, 1, 2);  // mono
  PutLittle(h, rate, 4);
  PutLittle(h, rate * 2, 4);
  PutLittle(h, 2, 2);
  PutLittle(h, 16, 2);
  h += "data";
  PutLittle(h, dataBytes, 4);
  return h;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: makeSilenceWav <seconds> <rate> <out.wav>\n");
    return 2;
  }
  const long seconds = std::atol(argv[1]), rate = std::atol(argv[2]);
  if (seconds <= 0 || rate <= 0 || seconds * rate > 0x7FFFFFFF / 2) {
    std::fprintf(stderr, "makeSilenceWav: bad length or rate\n");
    return 2;
  }
  const uint32_t dataBytes = static_cast<uint32_t>(seconds * rate * 2);
  const std::string header = WavHeader(static_cast<uint32_t>(rate), dataBytes);
  const std::vector<char> silence(dataBytes, 0);
  FILE* f = std::fopen(argv[3], "wb");
  if (!f) {
    std::perror(argv[3]);
    return 1;
  }
  const bool written = std::fwrite(header.data(), 1, header.size(), f) == header.size() &&
                       std::fwrite(silence.data(), 1, silence.size(), f) == silence.size();
  if (std::fclose(f) != 0 || !written) {
    std::perror(argv[3]);
    return 1;
  }
  return 0;
}
