#pragma once
#include <cstdint>

// QuickDraw's colour and rectangle, as the text and graphics calls take them.

// A QuickDraw colour: 16 bits per component.
struct RGBColor {
  std::uint16_t red = 0, green = 0, blue = 0;
  bool operator==(const RGBColor&) const = default;
};

// A QuickDraw rectangle, in its own field order.
struct QDRect {
  std::int16_t top = 0, left = 0, bottom = 0, right = 0;
  bool operator==(const QDRect&) const = default;
};
