#pragma once
#include <memory>

#include "imaging/ImageBitmap.h"

// An image holder that may or may not own what it points to. Resetting it
// deletes an owned image; assigning one holder to another hands the image
// over, and the source stops owning it.
class ImageBitmapPtr {
 public:
  ImageBitmapPtr() = default;
  explicit ImageBitmapPtr(std::unique_ptr<ImageBitmap> image) { Reset(std::move(image)); }
  ImageBitmapPtr(const ImageBitmapPtr&) = delete;
  ImageBitmapPtr& operator=(ImageBitmapPtr& other);
  ~ImageBitmapPtr() { Reset(nullptr); }

  void Reset(std::unique_ptr<ImageBitmap> image);
  bool Owns() const { return owns_; }
  ImageBitmap* Get() const { return image_; }
  ImageBitmap* operator->() const { return image_; }
  ImageBitmap& operator*() const { return *image_; }
  explicit operator bool() const { return image_ != nullptr; }

 private:
  ImageBitmap* image_ = nullptr;
  bool owns_ = false;
};
