#pragma once
#include <memory>
#include <string>

#include "imaging/MediaFormatBase.h"
#include "imaging/TitleList.h"
#include "platform/gdi/GdiBitmap.h"
#include "platform/gdi/UDC.h"

using DeviceBitmap = std::unique_ptr<GdiBitmap, decltype(&DeleteObject)>;

// Draws one text onto the bitmap selected in `udc` in the format's font,
// colours and place. `scale` is how many times larger than the final frame
// the bitmap is; sizes and boxes of the format are in final-frame pixels.
bool DrawTitle(const MediaFormatBase& format, UDC& udc, const std::string& text, double scale);
// The same on a canvas of `width` × `height` pixels of which the bitmap
// selected in `udc` may hold only a part: the part that the context's
// viewport origin puts there.
bool DrawTitleOnCanvas(const MediaFormatBase& format, UDC& udc, const std::string& text, double scale, int width,
                       int height);
// The pixels of such a canvas that drawing the title may touch (empty when
// it draws nothing); the canvas's own edges do not clip them.
RECT TitleBounds(const TitleItem& item, double scale, int width, int height);
// One title drawn onto the bitmap; the bitmap drawn on is returned.
HBITMAP DrawTitleItem(const TitleItem& item, HBITMAP bitmap, double scale);
// Every title in order, a later one over an earlier one.
HBITMAP DrawTitles(const TitleList& titles, HBITMAP bitmap, double scale);
