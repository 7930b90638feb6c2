#pragma once
#include <string>

#include "imaging/ImageBitmap.h"
#include "imaging/ImageBitmapPtr.h"
#include "platform/gdi/GdiDefs.h"

// The image operations around ImageBitmap: file types, placement, frames,
// and the hand-over to and from device bitmaps for drawing.

// True for an existing file of a type FreeImage knows; its format in `format`.
bool IsImageFile(const std::string& name, int* format = nullptr);
// Where an inner extent starts in an outer one: 0 at the start, 2 at the end, else centred.
int AlignOffset(int mode, int outer, int inner);
// A new image of the size and depth, filled with the colour (alpha 0).
bool MakeBackgroundFrame(ImageBitmapPtr& holder, int width, int height, int bitsPerPixel, COLORREF colour);
// A device bitmap with the image's pixels, owned by the caller; null when it cannot be made.
HBITMAP BitmapFromImage(FIBITMAP* dib);
// A new image with the device bitmap's pixels.
FiBitmap ImageFromBitmap(HBITMAP bitmap);
