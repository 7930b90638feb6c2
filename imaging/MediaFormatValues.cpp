#include "imaging/MediaFormatValues.h"

#include <array>
#include <cstdlib>

#include "platform/helper/StdStringList.h"

namespace {
struct FormatFlagName {
  const char* name;
  std::uint32_t value;
};

// The Win32 DT_ values under their own names; DT_CALCRECT is the drawing's own business.
constexpr std::array<FormatFlagName, 23> kFormatFlags{{
    {"top", 0x0},
    {"left", 0x0},
    {"center", 0x1},
    {"right", 0x2},
    {"vcenter", 0x4},
    {"bottom", 0x8},
    {"wordbreak", 0x10},
    {"singleline", 0x20},
    {"expandtabs", 0x40},
    {"tabstop", 0x80},
    {"noclip", 0x100},
    {"externalleading", 0x200},
    {"noprefix", 0x800},
    {"internal", 0x1000},
    {"editcontrol", 0x2000},
    {"path_ellipsis", 0x4000},
    {"end_ellipsis", 0x8000},
    {"modifystring", 0x10000},
    {"rtlreading", 0x20000},
    {"word_ellipsis", 0x40000},
    {"nofullwidthcharbreak", 0x80000},
    {"hideprefix", 0x100000},
    {"prefixonly", 0x200000},
}};

std::uint32_t FlagValue(const std::string& piece) {
  for (const FormatFlagName& f : kFormatFlags)
    if (icompare(piece, f.name) == 0) return f.value;
  return 0;
}

StdStringList Numbers(const std::string& value) {
  StdStringList pieces;
  pieces.SplitAndAppend(value.c_str(), " \t,;", nullptr, StdStringList::kTrim | StdStringList::kSkipEmpty);
  return pieces;
}

std::int32_t Low16(long n) { return std::int16_t(std::uint16_t(n)); }
}  // namespace

std::uint32_t ParseFormatFlags(const std::string& value) {
  StdStringList pieces;
  pieces.SplitAndAppend(value.c_str(), " \t,|", true);
  std::uint32_t flags = 0;
  for (const UString& piece : pieces) flags |= FlagValue(piece);
  return flags;
}

std::int32_t ParseClampedInt(const std::string& value, std::int32_t min, std::int32_t max, std::int32_t def) {
  if (value.empty()) return def;
  const long n = std::atol(value.c_str());
  return n < min ? min : n > max ? max : std::int32_t(n);
}

bool ParseColorValue(COLORREF& out, const std::string& value) {
  const StdStringList pieces = Numbers(value);
  if (pieces.size() < 3) return false;
  auto channel = [&](int i) { return COLORREF(std::atol(pieces[i].c_str())) & 0xFF; };
  out = channel(0) | channel(1) << 8 | channel(2) << 16;
  return true;
}

bool ParseRectValue(RECT& out, const std::string& value) {
  const StdStringList pieces = Numbers(value);
  out = RECT{};
  if (pieces.size() < 4) return false;
  auto side = [&](int i) { return Low16(std::atol(pieces[i].c_str())); };
  out = RECT{side(0), side(1), side(2), side(3)};
  return true;
}
