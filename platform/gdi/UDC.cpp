#include "platform/gdi/UDC.h"

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/GdiBitmap.h"

UDC::UDC() : dc_(CreateCompatibleDC(nullptr)), ownsDc_(true) {}

UDC::UDC(HDC dc) : dc_(dc), ownsDc_(false), original_(dc ? dc->Bitmap() : nullptr) {}

UDC::~UDC() {
  if (ownsDc_) {
    DeleteDC(dc_);
  } else if (dc_) {
    SelectObject(dc_, original_);
  }
}

void UDC::SetBitmap(HBITMAP bitmap) { SelectObject(dc_, bitmap); }

HBITMAP UDC::GetBitmap() const {
  if (!dc_) return nullptr;
  dc_->Flush();
  return dc_->Bitmap();
}

bool UDC::GetBitmapDims(int& width, int& height) const {
  const HBITMAP bitmap = GetBitmap();
  width = bitmap ? bitmap->Width() : 0;
  height = bitmap ? bitmap->Height() : 0;
  return bitmap != nullptr;
}
