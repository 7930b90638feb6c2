#include "imaging/ImageBitmapPtr.h"

void ImageBitmapPtr::Reset(std::unique_ptr<ImageBitmap> image) {
  if (owns_ && image_ != image.get()) delete image_;
  owns_ = image != nullptr;
  image_ = image.release();
}

ImageBitmapPtr& ImageBitmapPtr::operator=(ImageBitmapPtr& other) {
  if (this == &other) return *this;
  if (owns_ && image_ != other.image_) delete image_;
  image_ = other.image_;
  owns_ = other.owns_;
  other.owns_ = false;
  return *this;
}
