#pragma once
#include "platform/gdi/GdiDefs.h"

// A device context to draw on a bitmap. Made without a context it makes a
// memory context of its own and deletes it at the end; the bitmaps it is given
// stay the caller's.
class UDC {
 public:
  UDC();
  explicit UDC(HDC dc);
  ~UDC();
  UDC(const UDC&) = delete;
  UDC& operator=(const UDC&) = delete;

  HDC GetDC() const { return dc_; }
  void SetBitmap(HBITMAP bitmap);
  HBITMAP GetBitmap() const;  // the selected bitmap with everything drawn so far
  bool GetBitmapDims(int& width, int& height) const;

 private:
  HDC dc_;
  bool ownsDc_;
  HBITMAP original_ = nullptr;
};
