#include "platform/gdi/TextDrawer.h"

#include <algorithm>
#include <cmath>

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/FontHandle.h"

namespace {
constexpr double kDpi = 96.0;
constexpr std::uint32_t kTabSizeBits = 0xFF00;
constexpr std::uint32_t kEllipsisFlags = DT_END_ELLIPSIS | DT_PATH_ELLIPSIS | DT_WORD_ELLIPSIS;

const FontHandle& DefaultFont() {
  static const FontHandle font("", 0, FW_NORMAL, false);
  return font;
}

std::string ValidUtf8(const char* text) {
  if (g_utf8_validate(text, -1, nullptr)) return text;
  gchar* fixed = g_utf8_make_valid(text, -1);
  std::string result(fixed);
  g_free(fixed);
  return result;
}

double Px(int pangoUnits) { return double(pangoUnits) / PANGO_SCALE; }
}  // namespace

TextDrawer::TextDrawer(DeviceContext& dc, const char* text, std::uint32_t flags) : dc_(dc), flags_(flags) {
  // With tabstop the second byte of the flags is the tab size, not flags.
  if (Has(DT_TABSTOP)) {
    tabChars_ = int(flags_ >> 8 & 0xFF);
    flags_ &= ~kTabSizeBits;
  }
  if (tabChars_ == 0) tabChars_ = 8;
  PrepareText(text ? text : "");
}

void TextDrawer::PrepareText(const char* text) {
  const std::string in = ValidUtf8(text);
  text_.reserve(in.size());
  for (std::size_t i = 0; i < in.size(); ++i) {
    char c = in[i];
    if (Has(DT_SINGLELINE) && (c == '\r' || c == '\n')) c = ' ';
    if (!Has(DT_EXPANDTABS) && c == '\t') c = ' ';
    if (c == '&' && !Has(DT_NOPREFIX)) {
      if (++i >= in.size()) break;
      if (in[i] != '&') prefixes_.push_back(int(text_.size()));
      c = in[i];
    }
    text_ += c;
  }
}

int TextDrawer::Draw(RECT& rc) {
  if (!dc_.Colour()) {  // measuring needs a surface even with no bitmap selected
    cairo_surface_t* one = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1, 1);
    scratch_.reset(cairo_create(one));
    cairo_surface_destroy(one);
  }
  MakeLayout(rc);
  CollectLines();
  const int top = TextTop(rc);
  if (Has(DT_CALCRECT)) {
    rc.right = rc.left + textWidth_;
    rc.bottom = rc.top + textHeight_;
    return textHeight_;
  }
  if (dc_.Colour()) Paint(dc_.Colour(), false, rc, top);
  if (dc_.Alpha()) Paint(dc_.Alpha(), true, rc, top);
  if (dc_.boundsEnabled) dc_.AddBounds(PaintedBounds(rc, top));
  const bool placed = Has(DT_SINGLELINE) && Has(DT_VCENTER | DT_BOTTOM);
  return placed ? top - rc.top + textHeight_ : textHeight_;
}

void TextDrawer::MakeLayout(const RECT& rc) {
  cairo_t* cr = dc_.Colour() ? dc_.Colour() : scratch_.get();
  layout_.reset(pango_cairo_create_layout(cr));
  PangoContext* context = pango_layout_get_context(layout_.get());
  pango_cairo_context_set_resolution(context, kDpi);
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
  pango_cairo_context_set_font_options(context, options);
  cairo_font_options_destroy(options);
  if (Has(DT_RTLREADING)) {
    pango_context_set_base_dir(context, PANGO_DIRECTION_RTL);
    pango_layout_set_auto_dir(layout_.get(), FALSE);
  }
  pango_layout_context_changed(layout_.get());

  const FontHandle& font = dc_.font ? *dc_.font : DefaultFont();
  pango_layout_set_font_description(layout_.get(), font.Description());
  if (Has(DT_EXPANDTABS)) SetTabs();
  pango_layout_set_text(layout_.get(), text_.data(), int(text_.size()));

  const int width = std::max(rc.right - rc.left, 0), height = std::max(rc.bottom - rc.top, 0);
  const bool wrap = Has(DT_WORDBREAK) && !Has(DT_SINGLELINE);
  if (wrap) {
    pango_layout_set_width(layout_.get(), std::max(width, 1) * PANGO_SCALE);
    pango_layout_set_wrap(layout_.get(), PANGO_WRAP_WORD);  // a word wider than the line stays whole
  }
  if (Has(kEllipsisFlags)) {
    pango_layout_set_width(layout_.get(), width * PANGO_SCALE);
    pango_layout_set_ellipsize(layout_.get(), Has(DT_PATH_ELLIPSIS) ? PANGO_ELLIPSIZE_MIDDLE : PANGO_ELLIPSIZE_END);
    // Without word breaks every line of the text is cut on its own.
    pango_layout_set_height(layout_.get(), wrap ? std::max(height, 1) * PANGO_SCALE : -1);
  }
}

void TextDrawer::SetTabs() {
  PangoFontMetrics* metrics = pango_context_get_metrics(pango_layout_get_context(layout_.get()),
                                                        pango_layout_get_font_description(layout_.get()), nullptr);
  const int average = pango_font_metrics_get_approximate_char_width(metrics);
  pango_font_metrics_unref(metrics);
  PangoTabArray* tabs = pango_tab_array_new_with_positions(1, FALSE, PANGO_TAB_LEFT, tabChars_ * average);
  pango_layout_set_tabs(layout_.get(), tabs);
  pango_tab_array_free(tabs);
}

void TextDrawer::CollectLines() {
  PangoLayoutIter* iter = pango_layout_get_iter(layout_.get());
  do {
    PangoRectangle placed, own;
    pango_layout_iter_get_line_extents(iter, nullptr, &placed);
    PangoLayoutLine* line = pango_layout_iter_get_line_readonly(iter);
    pango_layout_line_get_extents(line, nullptr, &own);
    const int top = PANGO_PIXELS(placed.y);
    Line l{line, top, PANGO_PIXELS(placed.y + placed.height) - top, PANGO_PIXELS(own.width),
           Px(pango_layout_iter_get_baseline(iter)), Px(own.x), Px(placed.x)};
    lines_.push_back(l);
    textWidth_ = std::max(textWidth_, l.width);
  } while (pango_layout_iter_next_line(iter));
  pango_layout_iter_free(iter);
  textHeight_ = lines_.empty() ? 0 : lines_.back().top + lines_.back().height;
}

int TextDrawer::LineLeft(const RECT& rc, const Line& line) const {
  if (Has(DT_CENTER)) return (rc.left + rc.right - line.width) / 2;
  if (Has(DT_RIGHT)) return rc.right - line.width;
  return rc.left;
}

int TextDrawer::TextTop(const RECT& rc) const {
  if (!Has(DT_SINGLELINE)) return rc.top;
  if (Has(DT_VCENTER)) return (rc.top + rc.bottom - textHeight_) / 2;
  if (Has(DT_BOTTOM)) return rc.bottom - textHeight_;
  return rc.top;
}

void TextDrawer::SetSource(cairo_t* cr, bool alpha, COLORREF colour) const {
  if (alpha) {
    cairo_set_source_rgba(cr, 0, 0, 0, 1);
  } else {
    cairo_set_source_rgb(cr, (colour & 0xFF) / 255.0, (colour >> 8 & 0xFF) / 255.0, (colour >> 16 & 0xFF) / 255.0);
  }
}

bool TextDrawer::Shown(const Line& line, int top, const RECT& rc) const {
  // Like an edit control, a line the rectangle cannot show whole is left out.
  const bool wrap = Has(DT_WORDBREAK) && !Has(DT_SINGLELINE);
  return !(Has(DT_EDITCONTROL) && wrap && &line != &lines_.front() && top + line.top + line.height > rc.bottom);
}

void TextDrawer::Paint(cairo_t* cr, bool alpha, const RECT& rc, int top) const {
  cairo_save(cr);
  cairo_translate(cr, dc_.viewportOrigin.x, dc_.viewportOrigin.y);
  if (!Has(DT_NOCLIP)) {
    cairo_rectangle(cr, rc.left, rc.top, std::max(rc.right - rc.left, 0), std::max(rc.bottom - rc.top, 0));
    cairo_clip(cr);
  }
  for (const Line& line : lines_) {
    if (!Shown(line, top, rc)) break;
    const int left = LineLeft(rc, line);
    if (dc_.bkMode == OPAQUE) {
      SetSource(cr, alpha, dc_.bkColor);
      cairo_rectangle(cr, left, top + line.top, line.width, line.height);
      cairo_fill(cr);
    }
    if (Has(DT_PREFIXONLY)) continue;
    SetSource(cr, alpha, dc_.textColor);
    cairo_move_to(cr, left - line.originOffset, top + line.baseline);
    pango_cairo_show_layout_line(cr, line.line);
  }
  if (!Has(DT_HIDEPREFIX)) {
    SetSource(cr, alpha, dc_.textColor);
    for (const Box& b : Underlines(rc, top)) cairo_rectangle(cr, b.x, b.y, b.width, b.height);
    cairo_fill(cr);
  }
  cairo_restore(cr);
}

std::vector<TextDrawer::Box> TextDrawer::Underlines(const RECT& rc, int top) const {
  std::vector<Box> boxes;
  if (prefixes_.empty()) return boxes;
  PangoFontMetrics* metrics = pango_context_get_metrics(pango_layout_get_context(layout_.get()),
                                                        pango_layout_get_font_description(layout_.get()), nullptr);
  const double below = -Px(pango_font_metrics_get_underline_position(metrics));
  const double thickness = std::max(1.0, Px(pango_font_metrics_get_underline_thickness(metrics)));
  pango_font_metrics_unref(metrics);
  for (const int index : prefixes_) {
    int lineNo = 0, x = 0;
    pango_layout_index_to_line_x(layout_.get(), index, FALSE, &lineNo, &x);
    PangoRectangle pos;
    pango_layout_index_to_pos(layout_.get(), index, &pos);
    if (lineNo < 0 || lineNo >= int(lines_.size())) continue;
    const Line& line = lines_[std::size_t(lineNo)];
    const double left = LineLeft(rc, line) + Px(pos.x) - line.layoutLeft;
    boxes.push_back(Box{left, top + line.baseline + below, std::abs(Px(pos.width)), thickness});
  }
  return boxes;
}

// Every pixel the drawing may touch, a pixel wider all round for the
// anti-aliased edges of the glyphs.
RECT TextDrawer::PaintedBounds(const RECT& rc, int top) const {
  RECT all{};
  const auto add = [&all](double x, double y, double width, double height) {
    if (width <= 0 || height <= 0) return;
    const RECT r{int(std::floor(x)) - 1, int(std::floor(y)) - 1, int(std::ceil(x + width)) + 1,
                 int(std::ceil(y + height)) + 1};
    all = IsRectEmpty(all) ? r
                           : RECT{std::min(all.left, r.left), std::min(all.top, r.top), std::max(all.right, r.right),
                                  std::max(all.bottom, r.bottom)};
  };
  for (const Line& line : lines_) {
    if (!Shown(line, top, rc)) break;
    const int left = LineLeft(rc, line);
    if (dc_.bkMode == OPAQUE) add(left, top + line.top, line.width, line.height);
    if (Has(DT_PREFIXONLY)) continue;
    PangoRectangle ink;
    pango_layout_line_get_pixel_extents(line.line, &ink, nullptr);
    add(left - line.originOffset + ink.x, top + line.baseline + ink.y, ink.width, ink.height);
  }
  if (!Has(DT_HIDEPREFIX)) {
    for (const Box& b : Underlines(rc, top)) add(b.x, b.y, b.width, b.height);
  }
  if (Has(DT_NOCLIP) || IsRectEmpty(all)) return all;
  const RECT clipped{std::max(all.left, rc.left), std::max(all.top, rc.top), std::min(all.right, rc.right),
                     std::min(all.bottom, rc.bottom)};
  return IsRectEmpty(clipped) ? RECT{} : clipped;
}
