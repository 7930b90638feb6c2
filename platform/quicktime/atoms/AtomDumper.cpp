#include "platform/quicktime/atoms/AtomDumper.h"

#include <cstdio>

namespace {
constexpr std::size_t kBytesShown = 64;

std::string Hex(const std::vector<std::uint8_t>& bytes, std::size_t count) {
  std::string text;
  char two[4];
  for (std::size_t i = 0; i < count; ++i) {
    std::snprintf(two, sizeof two, "%02x", bytes[i]);
    text += two;
  }
  return text;
}

// Long payloads are shown by their start and a checksum, so that dumps stay
// short and still differ when the bytes do.
std::uint64_t Fnv1a(const std::vector<std::uint8_t>& bytes) {
  std::uint64_t hash = 0xcbf29ce484222325ull;
  for (std::uint8_t b : bytes) hash = (hash ^ b) * 0x100000001b3ull;
  return hash;
}
}  // namespace

void AtomDumper::Code(const char* name, OSType& code) {
  std::string text = TagText(code);
  for (char& c : text)
    if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E) c = '.';
  Line(name, "'" + text + "'");
}

void AtomDumper::VersionFlags(std::uint8_t& version, std::uint32_t& flags) {
  Line("version", std::to_string(version));
  Line("flags", std::to_string(flags));
}

void AtomDumper::Rest(const char* name, std::vector<std::uint8_t>& bytes) {
  std::string value = std::to_string(bytes.size()) + " bytes";
  if (bytes.size() <= kBytesShown) {
    value += " " + Hex(bytes, bytes.size());
  } else {
    char sum[24];
    std::snprintf(sum, sizeof sum, "%016llx", static_cast<unsigned long long>(Fnv1a(bytes)));
    value += " " + Hex(bytes, kBytesShown) + "... fnv " + sum;
  }
  Line(name, value);
}

void AtomDumper::Line(const char* name, const std::string& value) {
  text_.append(std::size_t(2 * depth_), ' ');
  text_ += name;
  text_ += ": ";
  text_ += value;
  text_ += '\n';
}
