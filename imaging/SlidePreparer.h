#pragma once
#include "imaging/ImageBitmapPtr.h"
#include "imaging/TitleList.h"
#include "platform/helper/UString.h"
#include "platform/helper/Win32Defs.h"

// The project settings that shape the slides.
struct SlideSettings {
  int imgScaleMethod = FILTER_BICUBIC;  // filter that fits an image into the scale size
  int intScaleMethod = FILTER_BICUBIC;  // filter of the downscale after titles are drawn
  int intScaleFactor = 1;               // titles are drawn this many times larger, 1..16
  bool keepIntermediateImages = false;  // leave the oversampled "iw_scaled" images in the base folder
  bool keepFinalImages = false;         // write the "iw_temp" slides to the base folder
  UString baseFolder{};
};

// Turns image files into the still frames of the slide track: scaled into
// the frame on the background colour, titled, and saved in the movie's image
// format. A JPEG is decoded no larger than it needs to be and resampled once;
// titles are drawn `intScaleFactor` times larger on their own boxes only,
// unless the enlarged intermediate images are to be kept, which takes the
// whole frame enlarged. One preparer may serve several threads at once
// (see SlideBatch).
class SlidePreparer {
 public:
  explicit SlidePreparer(SlideSettings settings) : settings_(std::move(settings)) {}

  // Scales the held image to the scale size and pads it centred onto a frame
  // of the colour; `changed` tells whether the image is no longer the file's.
  bool FitImageIntoFrame(ImageBitmapPtr& holder, int frameW, int frameH, int scaleW, int scaleH, COLORREF colour,
                         int hMode, int vMode, bool& changed) const;
  // Prepares one slide. When a new file is written, `imageFile` becomes its
  // name and `replaced` true; a missing or unknown image gives a plain frame.
  bool PrepImage(int frameW, int frameH, int scaleW, int scaleH, COLORREF colour, UString& imageFile, int outFormat,
                 bool& replaced, int hMode, int vMode, const TitleList* titles) const;

 private:
  bool LoadOrFrame(ImageBitmapPtr& holder, bool usable, const UString& imageFile, int frameW, int frameH, int scaleW,
                   int scaleH, COLORREF colour, int hMode, int vMode, bool& changed) const;
  bool DrawTitlesOn(ImageBitmapPtr& holder, const TitleList& titles, int factor) const;
  bool DrawOnWholeFrame(ImageBitmapPtr& holder, bool usable, const UString& imageFile, int frameW, int frameH,
                        int scaleW, int scaleH, COLORREF colour, int hMode, int vMode, const TitleList& titles,
                        const UString& ext, int outFormat) const;
  bool BringToFrame(ImageBitmapPtr& holder, int factor, int frameW, int frameH) const;
  bool Write(const ImageBitmap& image, int outFormat, const UString& ext, UString& imageFile, bool& replaced) const;

  SlideSettings settings_;
};
