#include "imaging/ImageFiles.h"

#include "platform/gdi/GdiBitmap.h"
#include "platform/helper/FileSystem.h"

bool IsImageFile(const std::string& name, int* format) {
  if (!FileExists(name)) return false;
  const int type = FreeImage_GetFileType(name.c_str(), 0);
  if (format) *format = type;
  return type != kImageFormatUnknown;
}

int AlignOffset(int mode, int outer, int inner) {
  if (mode == 0) return 0;
  if (mode == 2) return outer - inner;
  return (outer - inner) / 2;
}

bool MakeBackgroundFrame(ImageBitmapPtr& holder, int width, int height, int bitsPerPixel, COLORREF colour) {
  holder.Reset(std::make_unique<ImageBitmap>());
  if (!holder->Allocate(width, height, bitsPerPixel)) return false;
  holder->Fill(colour, 0);
  return true;
}

// Device bitmaps hold 24 or 32 bits a pixel; other depths go over as 24.
HBITMAP BitmapFromImage(FIBITMAP* dib) {
  if (!dib) return nullptr;
  const unsigned bpp = FreeImage_GetBPP(dib);
  const FiBitmap deep(bpp == 24 || bpp == 32 ? nullptr : FreeImage_ConvertTo24Bits(dib), &FreeImage_Unload);
  FIBITMAP* image = deep ? deep.get() : dib;
  return CreateDIBitmap(FreeImage_GetInfoHeader(image), FreeImage_GetBits(image), FreeImage_GetInfo(image));
}

FiBitmap ImageFromBitmap(HBITMAP bitmap) {
  BITMAP info;
  if (!GetObjectA(bitmap, sizeof info, &info)) return FiBitmap(nullptr, &FreeImage_Unload);
  FiBitmap dib(FreeImage_Allocate(info.bmWidth, info.bmHeight, info.bmBitsPixel, 0, 0, 0), &FreeImage_Unload);
  if (dib && !GetDIBits(bitmap, 0, FreeImage_GetHeight(dib.get()), FreeImage_GetBits(dib.get()),
                        FreeImage_GetInfo(dib.get()))) {
    dib.reset();
  }
  return dib;
}
