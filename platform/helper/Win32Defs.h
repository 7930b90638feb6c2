#pragma once
#include <cstdint>

// The Windows values that the program passes to file operations; the helper
// library translates them.
constexpr std::uint32_t GENERIC_READ = 0x80000000;
constexpr std::uint32_t GENERIC_WRITE = 0x40000000;
constexpr std::uint32_t FILE_SHARE_READ = 0x1;
constexpr std::uint32_t FILE_SHARE_WRITE = 0x2;
constexpr std::uint32_t FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr std::uint32_t CREATE_NEW = 1;
constexpr std::uint32_t CREATE_ALWAYS = 2;
constexpr std::uint32_t OPEN_EXISTING = 3;
constexpr std::uint32_t OPEN_ALWAYS = 4;
constexpr std::uint32_t TRUNCATE_EXISTING = 5;

// A colour as 0x00BBGGRR: red in the low byte, then green, then blue.
using COLORREF = std::uint32_t;

// A Windows rectangle: right and bottom lie one past the last column and row.
struct RECT {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const RECT&) const = default;
};

// True when the rectangle has no area (width or height zero or less).
inline bool IsRectEmpty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }
