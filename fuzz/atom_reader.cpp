// The atom reader behind every movie file we open: any bytes must either read
// or fail with an error code, and what reads must write and dump.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/quicktime/MovieFileReader.h"
#include "platform/quicktime/atoms/AtomDumper.h"
#include "platform/quicktime/atoms/AtomReader.h"
#include "platform/quicktime/atoms/AtomWriter.h"
#include "platform/quicktime/atoms/FileTypeAtom.h"
#include "platform/quicktime/atoms/MovieAtom.h"

namespace {
template <class A>
void RoundTrip(AtomReader& body, OSType type) {
  A atom;
  AtomReader::ReadBody(body, type, atom);
  if (body.Status() != noErr) return;
  AtomWriter out;
  out.Atom(atom);
  if (out.Status() != noErr) __builtin_trap();
  // What was written reads back to the same atom (versions as the writer chose them).
  AtomReader again(out.Bytes());
  A back;
  again.Atom(back);
  if (again.Status() != noErr || again.Left() != 0 || DumpOf(back) != DumpOf(atom)) __builtin_trap();
  if constexpr (std::is_same_v<A, MovieAtom>) {  // and the tables must check out or be refused
    MovieRecord movie;
    (void)MovieFileReader::FromAtoms(back, "/nonexistent", movie);
  }
}
// Read as a file is opened, mending what can be mended: what reads must
// write, and its tables must check out or be refused.
void ReadTolerantly(std::shared_ptr<const std::vector<std::uint8_t>> bytes) {
  std::vector<std::string> repairs;
  AtomReader file(bytes);
  file.Tolerate(&repairs);
  AtomHeader header;
  while (file.Left() > 0 && file.ReadHeader(header, true)) {
    AtomReader body = file.Child(header.payloadBytes, header.cut);
    if (header.type != MovieAtom::kType) continue;
    MovieAtom atom;
    AtomReader::ReadBody(body, header.type, atom);
    if (body.Status() != noErr) continue;
    AtomWriter out;
    out.Atom(atom);
    if (out.Status() != noErr) __builtin_trap();
    MovieRecord movie;
    movie.repairs = repairs;
    (void)MovieFileReader::FromAtoms(atom, "/nonexistent", movie, bytes->size());
  }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // held as a file's bytes are, so that large tables may stay in them as they do when a movie is opened
  const auto bytes = std::make_shared<const std::vector<std::uint8_t>>(data, data + size);
  AtomReader file(bytes);
  AtomHeader header;
  while (file.Left() > 0 && file.ReadHeader(header, true)) {
    AtomReader body = file.Child(header.payloadBytes);
    if (header.type == MovieAtom::kType) RoundTrip<MovieAtom>(body, header.type);
    if (header.type == FileTypeAtom::kType) RoundTrip<FileTypeAtom>(body, header.type);
  }
  ReadTolerantly(bytes);
  return 0;
}
