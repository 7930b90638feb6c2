// DrawText on a device bitmap: measuring, placement, clipping, ellipses,
// prefixes, transparency, and texts no title should ever have.
#include <gtest/gtest.h>

#include <chrono>

#include "SlideImages.h"
#include "imaging/ImageFiles.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/GdiBitmap.h"
#include "platform/gdi/UDC.h"
#include "platform/gdi/UDrawChars.h"
#include "platform/gdi/UFont.h"

namespace {
constexpr COLORREF kBlack = 0x000000, kWhite = 0xFFFFFF;

// A black 32-bit bitmap, fully transparent, with white text in a 16-point
// font; with no width, a device that only measures, as titles are measured.
class Canvas {
 public:
  explicit Canvas(int width = 320, int height = 180, const char* face = "Arial")
      : bitmap_(width > 0 ? CreateDIBSectionBmp(32, width, height, kBlack) : nullptr, &DeleteObject) {
    if (bitmap_) udc_.SetBitmap(bitmap_.get());
    font_.FaceName(face);
    font_.Height(16);
    font_.CreateFontA();
    SelectFont(udc_.GetDC(), font_);
    SetTextColor(udc_.GetDC(), kWhite);
    SetBkMode(udc_.GetDC(), TRANSPARENT);
  }
  int Draw(const char* text, RECT rc, std::uint32_t flags) { return UDrawChars(udc_.GetDC()).DrawTextA(text, rc, flags); }
  RECT Measure(const char* text, RECT rc, std::uint32_t flags) {
    UDrawChars(udc_.GetDC()).DrawTextA(text, rc, flags | DT_CALCRECT);
    return rc;
  }
  FiBitmap Image() { return ImageFromBitmap(udc_.GetBitmap()); }
  RECT Ink() { return InkBounds(Image().get(), kBlack); }
  HDC Dc() { return udc_.GetDC(); }

 private:
  std::unique_ptr<GdiBitmap, decltype(&DeleteObject)> bitmap_;
  UDC udc_;
  UFont font_;
};
}  // namespace

TEST(DrawText, MeasuresAndPlacesLikeWindows) {
  Canvas c;
  const RECT one = c.Measure("Hello", RECT{10, 20, 300, 170}, 0);
  EXPECT_EQ(one.left, 10);
  EXPECT_EQ(one.top, 20);
  const int lineHeight = one.bottom - one.top, width = one.right - one.left;
  EXPECT_GT(lineHeight, 15);  // 16 points at 96 dpi: a 21-pixel em
  EXPECT_LT(lineHeight, 30);
  EXPECT_GT(width, 30);
  EXPECT_EQ(c.Ink().right, -1) << "measuring draws nothing";

  const RECT wrapped = c.Measure("one two three four five six", RECT{0, 0, 80, 180}, DT_WORDBREAK);
  EXPECT_LE(wrapped.right, 80);
  EXPECT_GE(wrapped.bottom, 3 * lineHeight);
  const RECT single = c.Measure("one two three four five six", RECT{0, 0, 80, 180}, DT_WORDBREAK | DT_SINGLELINE);
  EXPECT_EQ(single.bottom, lineHeight);
  EXPECT_EQ(c.Measure("a\r\nb", RECT{0, 0, 80, 180}, 0).bottom, 2 * lineHeight);

  const int bottomOffset = c.Draw("Hello", RECT{0, 0, 320, 180}, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
  EXPECT_EQ(bottomOffset, (180 - lineHeight) / 2 + lineHeight);
  const RECT centred = c.Ink();
  EXPECT_NEAR((centred.left + centred.right) / 2.0, 160, 2);
  EXPECT_NEAR((centred.top + centred.bottom) / 2.0, 90, 4);

  Canvas right;
  right.Draw("Hello", RECT{0, 0, 300, 100}, DT_RIGHT | DT_SINGLELINE | DT_BOTTOM);
  EXPECT_NEAR(right.Ink().right, 299, 2);
  EXPECT_NEAR(right.Ink().bottom, 99, 6);
}

TEST(DrawText, ClipsCutsAndMarksAsAsked) {
  Canvas clipped, spilled;
  clipped.Draw("a long line of text", RECT{10, 10, 40, 40}, 0);
  spilled.Draw("a long line of text", RECT{10, 10, 40, 40}, DT_NOCLIP);
  EXPECT_LE(clipped.Ink().right, 39);
  EXPECT_GT(spilled.Ink().right, 60);

  Canvas cut;
  const char* text = "a long line of text that goes on";
  cut.Draw(text, RECT{0, 0, 100, 30}, DT_END_ELLIPSIS | DT_NOCLIP);
  EXPECT_LE(cut.Ink().right, 100) << "the ellipsis keeps the line inside the box";
  EXPECT_LE(cut.Measure(text, RECT{0, 0, 100, 30}, DT_PATH_ELLIPSIS).right, 100);

  Canvas marked, hidden;
  marked.Draw("&Wq", RECT{0, 0, 100, 40}, 0);
  hidden.Draw("&Wq", RECT{0, 0, 100, 40}, DT_HIDEPREFIX);
  EXPECT_EQ(marked.Ink().left, hidden.Ink().left);
  EXPECT_GE(marked.Ink().bottom, hidden.Ink().bottom) << "the underline under the W";
  const FiBitmap a = marked.Image(), b = hidden.Image();
  int differing = 0;
  for (int x = 0; x < 40; ++x)
    for (int y = 0; y < 40; ++y) differing += PixelAt(a.get(), x, y) != PixelAt(b.get(), x, y);
  EXPECT_GT(differing, 5);
  const RECT box{0, 0, 300, 100};
  EXPECT_EQ(marked.Measure("a&&b", box, 0).right, marked.Measure("a&b", box, DT_NOPREFIX).right);

  const RECT plainTab = marked.Measure("a\tb", box, 0), expanded = marked.Measure("a\tb", box, DT_EXPANDTABS);
  EXPECT_GT(expanded.right, plainTab.right + 40);
  Canvas eight, two;
  eight.Draw("a\tb", box, DT_EXPANDTABS);
  // With tabstop the second byte is the tab size, so 0x400 there is no request to measure.
  two.Draw("a\tb", box, DT_EXPANDTABS | DT_TABSTOP | 0x0200 | DT_CALCRECT);
  EXPECT_LT(two.Ink().right, eight.Ink().right - 10);  // 6 average characters a tab instead of 8
}

TEST(DrawText, BackgroundAndTransparencyFollowTheText) {
  Canvas opaque;
  SetBkMode(opaque.Dc(), OPAQUE);
  SetBkColor(opaque.Dc(), 0x00FF00);
  const RECT line = opaque.Measure("Hi", RECT{20, 20, 300, 170}, 0);
  opaque.Draw("Hi", RECT{20, 20, 300, 170}, 0);
  const FiBitmap image = opaque.Image();
  EXPECT_EQ(PixelAt(image.get(), 20, 20), 0x00FF00u);
  EXPECT_EQ(PixelAt(image.get(), line.right - 1, line.bottom - 1), 0x00FF00u);
  EXPECT_EQ(PixelAt(image.get(), line.right + 1, line.bottom + 1), kBlack);
  EXPECT_EQ(AlphaAt(image.get(), 20, 20), 255u) << "what is drawn becomes opaque";
  EXPECT_EQ(AlphaAt(image.get(), 200, 150), 0u) << "the rest keeps its transparency";
}

TEST(DrawText, HugeTextsAndMissingFontsNeverFail) {
  const std::string huge(100000, 'w');
  std::string words;
  for (int i = 0; i < 20000; ++i) words += "word ";
  const auto start = std::chrono::steady_clock::now();
  for (const std::uint32_t flags : {0u, DT_WORDBREAK, DT_SINGLELINE | DT_END_ELLIPSIS | DT_CENTER,
                                    DT_WORDBREAK | DT_END_ELLIPSIS | DT_EDITCONTROL, DT_PATH_ELLIPSIS | DT_NOCLIP}) {
    Canvas c;
    EXPECT_GT(c.Draw(huge.c_str(), RECT{0, 0, 320, 180}, flags), 0) << flags;
    EXPECT_GT(c.Draw(words.c_str(), RECT{0, 0, 320, 180}, flags), 0) << flags;
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60)) << "no hang";

  Canvas missing(320, 180, "No Such Font At All"), fallback(320, 180, "");
  missing.Draw("Fallback", RECT{0, 0, 320, 180}, 0);
  fallback.Draw("Fallback", RECT{0, 0, 320, 180}, 0);
  EXPECT_GT(missing.Ink().right, 20);
  Canvas broken;
  EXPECT_GT(broken.Draw("bad \xff\xfe utf-8", RECT{0, 0, 320, 180}, 0), 0);
  EXPECT_GT(broken.Ink().right, 20);
}

TEST(DrawText, DrawsAtTheViewportOriginAndTellsWhatItTouches) {
  struct Case {
    const char* text;
    RECT rc;
    std::uint32_t flags;
    bool opaque;
  };
  const Case cases[] = {
      {"Centred gy", RECT{10, 10, 310, 170}, DT_CENTER | DT_VCENTER | DT_SINGLELINE, false},
      {"&Underlined and opaque", RECT{30, 100, 200, 140}, 0, true},
      {"spills out of its box", RECT{200, 40, 230, 50}, DT_NOCLIP, false},
      {"clipped to its box", RECT{20, 60, 70, 70}, DT_RIGHT, true},
      {"wrapped words that go on and on over lines", RECT{150, 20, 260, 170}, DT_WORDBREAK | DT_EDITCONTROL, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const int mode = c.opaque ? OPAQUE : TRANSPARENT;
    Canvas whole;
    SetBkMode(whole.Dc(), mode);
    whole.Draw(c.text, c.rc, c.flags);
    const FiBitmap all = whole.Image();
    const RECT ink = InkBounds(all.get(), kBlack);
    ASSERT_GE(ink.right, 0);

    Canvas measuring(0, 0);
    SetBoundsRect(measuring.Dc(), nullptr, DCB_ENABLE | DCB_RESET);
    SetBkMode(measuring.Dc(), mode);
    measuring.Draw(c.text, c.rc, c.flags);
    RECT bounds;
    EXPECT_EQ(GetBoundsRect(measuring.Dc(), &bounds, DCB_RESET), DCB_SET);
    if (c.flags & DT_NOCLIP) {
      EXPECT_GT(bounds.right, 320) << "past the canvas, which only the canvas cuts";
    }
    bounds.right = std::min(bounds.right, 320);
    EXPECT_LE(bounds.left, ink.left);
    EXPECT_LE(bounds.top, ink.top);
    EXPECT_GT(bounds.right, ink.right);
    EXPECT_GT(bounds.bottom, ink.bottom);
    EXPECT_LE(ink.left - bounds.left + bounds.right - ink.right, 8) << "and hardly more";
    EXPECT_LE(ink.top - bounds.top + bounds.bottom - ink.bottom, 8);
    RECT none;
    EXPECT_EQ(GetBoundsRect(measuring.Dc(), &none, 0), DCB_RESET) << "reset once read";

    // The part of the canvas around the ink, drawn on a bitmap of its own.
    const int left = std::max(0, ink.left - 7), top = std::max(0, ink.top - 5);
    const int width = std::min(320, ink.right + 9) - left, height = std::min(180, ink.bottom + 6) - top;
    Canvas part(width, height);
    SetBkMode(part.Dc(), mode);
    SetViewportOrgEx(part.Dc(), -left, -top, nullptr);
    part.Draw(c.text, c.rc, c.flags);
    const FiBitmap piece = part.Image();
    int differing = 0;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) differing += PixelAt(piece.get(), x, y) != PixelAt(all.get(), left + x, top + y);
    EXPECT_EQ(differing, 0);
  }
}
