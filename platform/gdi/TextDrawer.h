#pragma once
#include <pango/pangocairo.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/GdiDefs.h"

// Draws or measures one text in a rectangle of a device context the way
// Windows DrawText does, with Pango laying out the lines and Cairo painting
// them at the context's viewport origin; with bounds enabled the context's
// bounds grow by what is drawn.
class TextDrawer {
 public:
  TextDrawer(DeviceContext& dc, const char* text, std::uint32_t flags);
  // The text height, or with a single line placed by vcenter or bottom the
  // distance from the rectangle's top to the text's bottom. Measuring sets the
  // rectangle's right and bottom to the text's extent.
  int Draw(RECT& rc);

 private:
  struct Box {
    double x, y, width, height;
  };
  struct Line {
    PangoLayoutLine* line;
    int top, height, width;  // pixels, from the layout's top
    double baseline, originOffset, layoutLeft;
  };
  using Layout = std::unique_ptr<PangoLayout, void (*)(gpointer)>;
  using Context = std::unique_ptr<cairo_t, decltype(&cairo_destroy)>;

  void PrepareText(const char* text);
  void MakeLayout(const RECT& rc);
  void SetTabs();
  void CollectLines();
  int LineLeft(const RECT& rc, const Line& line) const;
  int TextTop(const RECT& rc) const;
  bool Shown(const Line& line, int top, const RECT& rc) const;
  void Paint(cairo_t* cr, bool alpha, const RECT& rc, int top) const;
  std::vector<Box> Underlines(const RECT& rc, int top) const;
  RECT PaintedBounds(const RECT& rc, int top) const;
  void SetSource(cairo_t* cr, bool alpha, COLORREF colour) const;
  bool Has(std::uint32_t flag) const { return (flags_ & flag) != 0; }

  DeviceContext& dc_;
  std::uint32_t flags_;
  int tabChars_ = 8;
  std::string text_;
  std::vector<int> prefixes_;  // byte offsets of the letters a '&' marks
  Context scratch_{nullptr, &cairo_destroy};
  Layout layout_{nullptr, &g_object_unref};
  std::vector<Line> lines_;
  int textHeight_ = 0, textWidth_ = 0;
};
