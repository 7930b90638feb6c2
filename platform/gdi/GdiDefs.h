#pragma once
#include <cstdint>

#include "platform/helper/Win32Defs.h"

// The Windows drawing values the program passes to the drawing layer; the
// layer translates them.

constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

constexpr int FW_NORMAL = 400;
constexpr int FW_BOLD = 700;

// DrawText flags.
constexpr std::uint32_t DT_TOP = 0x0;
constexpr std::uint32_t DT_LEFT = 0x0;
constexpr std::uint32_t DT_CENTER = 0x1;
constexpr std::uint32_t DT_RIGHT = 0x2;
constexpr std::uint32_t DT_VCENTER = 0x4;
constexpr std::uint32_t DT_BOTTOM = 0x8;
constexpr std::uint32_t DT_WORDBREAK = 0x10;
constexpr std::uint32_t DT_SINGLELINE = 0x20;
constexpr std::uint32_t DT_EXPANDTABS = 0x40;
constexpr std::uint32_t DT_TABSTOP = 0x80;
constexpr std::uint32_t DT_NOCLIP = 0x100;
constexpr std::uint32_t DT_EXTERNALLEADING = 0x200;
constexpr std::uint32_t DT_CALCRECT = 0x400;
constexpr std::uint32_t DT_NOPREFIX = 0x800;
constexpr std::uint32_t DT_INTERNAL = 0x1000;
constexpr std::uint32_t DT_EDITCONTROL = 0x2000;
constexpr std::uint32_t DT_PATH_ELLIPSIS = 0x4000;
constexpr std::uint32_t DT_END_ELLIPSIS = 0x8000;
constexpr std::uint32_t DT_MODIFYSTRING = 0x10000;
constexpr std::uint32_t DT_RTLREADING = 0x20000;
constexpr std::uint32_t DT_WORD_ELLIPSIS = 0x40000;
constexpr std::uint32_t DT_NOFULLWIDTHCHARBREAK = 0x80000;
constexpr std::uint32_t DT_HIDEPREFIX = 0x100000;
constexpr std::uint32_t DT_PREFIXONLY = 0x200000;

// SetBoundsRect and GetBoundsRect.
constexpr unsigned DCB_RESET = 0x1;
constexpr unsigned DCB_ACCUMULATE = 0x2;
constexpr unsigned DCB_SET = DCB_RESET | DCB_ACCUMULATE;
constexpr unsigned DCB_ENABLE = 0x4;
constexpr unsigned DCB_DISABLE = 0x8;

struct POINT {
  std::int32_t x = 0, y = 0;
};

// What GetObjectA tells of a bitmap.
struct BITMAP {
  std::int32_t bmType = 0;
  std::int32_t bmWidth = 0;
  std::int32_t bmHeight = 0;
  std::int32_t bmWidthBytes = 0;
  std::uint16_t bmPlanes = 1;
  std::uint16_t bmBitsPixel = 0;
  void* bmBits = nullptr;
};

class GdiBitmap;
class DeviceContext;
class FontHandle;
using HBITMAP = GdiBitmap*;
using HDC = DeviceContext*;
using HFONT = const FontHandle*;
