#include "imaging/TitleDrawing.h"

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/UDrawChars.h"
#include "platform/gdi/UFont.h"

namespace {
constexpr std::int32_t kLastEdge = -1;  // the bitmap's last column or row
constexpr std::int32_t kToEnd = -2;     // from the box's corner to the bitmap's end

void Offset(RECT& rc, int dx, int dy) {
  rc.left += dx;
  rc.right += dx;
  rc.top += dy;
  rc.bottom += dy;
}

int Scaled(std::int32_t value, double scale) { return int(value * scale); }

void DrawAtPosition(const MediaFormatBase& format, UDrawChars& drawer, const char* text, int width, int height) {
  const RECT full{0, 0, width - 1, height - 1};
  RECT rc = full;
  if (format.textPosition == 3) {
    drawer.DrawTextA(text, rc, format.formatFlags);
    return;
  }
  const int textHeight = drawer.DrawTextA(text, rc, format.formatFlags | DT_CALCRECT);
  switch (format.textPosition) {
    case 0:
      Offset(rc, (width - 1 - rc.right + rc.left) / 2, height - 1 - rc.bottom);
      break;
    case 1:
      Offset(rc, (width - 1 - rc.right + rc.left) / 2, (height - 1 - rc.bottom + rc.top) / 2);
      break;
    case 2:
      Offset(rc, (width - 1 - rc.right + rc.left) / 2, 0);
      break;
    default: {  // the first, second or third line from the bottom, full width
      Offset(rc, 0, height - 1 - rc.bottom);
      rc.left = 0;
      rc.right = width - 1;
      const int linesUp = format.textPosition == 4 ? 0 : format.textPosition == 5 ? 1 : 2;
      Offset(rc, 0, -linesUp * textHeight);
      break;
    }
  }
  drawer.DrawTextA(text, rc, format.formatFlags);
}

void DrawInBox(const MediaFormatBase& format, UDrawChars& drawer, const char* text, int width, int height,
               double scale) {
  const RECT& box = format.textBox;
  RECT rc{Scaled(box.left, scale), Scaled(box.top, scale), width - 1, height - 1};
  if (box.right != kToEnd && box.bottom != kToEnd) {
    if (box.right != kLastEdge) rc.right = Scaled(box.right, scale);
    if (box.bottom != kLastEdge) rc.bottom = Scaled(box.bottom, scale);
  }
  drawer.DrawTextA(text, rc, format.formatFlags);
}

bool PositionMode(const RECT& box) {
  const bool special = box.right == kLastEdge || box.right == kToEnd || box.bottom == kLastEdge ||
                       box.bottom == kToEnd;
  return IsRectEmpty(box) && !special;
}
}  // namespace

bool DrawTitle(const MediaFormatBase& format, UDC& udc, const std::string& text, double scale) {
  int width = 0, height = 0;
  udc.GetBitmapDims(width, height);
  return DrawTitleOnCanvas(format, udc, text, scale, width, height);
}

bool DrawTitleOnCanvas(const MediaFormatBase& format, UDC& udc, const std::string& text, double scale, int width,
                       int height) {
  const HDC dc = udc.GetDC();
  UDrawChars drawer(dc);
  UFont font;
  font.FaceName(format.face);
  font.Height(int(format.fontSize * scale));
  font.CreateFontA();
  const HFONT previous = SelectFont(dc, font);
  SetTextColor(dc, format.textColor);
  if (format.backColor == MediaFormatBase::kNoBackground) {
    SetBkMode(dc, TRANSPARENT);
  } else {
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, format.backColor);
  }
  if (PositionMode(format.textBox)) {
    DrawAtPosition(format, drawer, text.c_str(), width, height);
  } else {
    DrawInBox(format, drawer, text.c_str(), width, height, scale);
  }
  SelectFont(dc, previous);
  return true;
}

RECT TitleBounds(const TitleItem& item, double scale, int width, int height) {
  UDC udc;
  SetBoundsRect(udc.GetDC(), nullptr, DCB_ENABLE | DCB_RESET);
  DrawTitleOnCanvas(item.format, udc, item.text, scale, width, height);
  RECT bounds;
  GetBoundsRect(udc.GetDC(), &bounds, DCB_RESET);
  return bounds;
}

HBITMAP DrawTitleItem(const TitleItem& item, HBITMAP bitmap, double scale) {
  UDC udc;
  udc.SetBitmap(bitmap);
  DrawTitle(item.format, udc, item.text, scale);
  return udc.GetBitmap();
}

HBITMAP DrawTitles(const TitleList& titles, HBITMAP bitmap, double scale) {
  for (const TitleItem& item : titles) bitmap = DrawTitleItem(item, bitmap, scale);
  return bitmap;
}
