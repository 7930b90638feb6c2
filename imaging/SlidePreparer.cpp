#include "imaging/SlidePreparer.h"

#include <algorithm>

#include "imaging/ImageFiles.h"
#include "imaging/TitleDrawing.h"
#include "imaging/TitleOversampler.h"
#include "platform/gdi/FitRect.h"
#include "platform/helper/FileSystem.h"
#include "platform/helper/StdStringList.h"

namespace {
UString FirstExtension(int format) {
  const char* list = FreeImage_GetFIFExtensionList(FREE_IMAGE_FORMAT(format));
  StdStringList pieces;
  if (list) pieces.SplitAndAppend(list, ",", nullptr, 3);
  return pieces.empty() ? UString() : pieces.front();
}
}  // namespace

bool SlidePreparer::FitImageIntoFrame(ImageBitmapPtr& holder, int frameW, int frameH, int scaleW, int scaleH,
                                      COLORREF colour, int hMode, int vMode, bool& changed) const {
  // A slide is opaque: what would show through the picture is the
  // background, laid under it before the resample so that no colour hidden
  // under transparent pixels bleeds into the edges it blends.
  if (holder->HasAlpha()) {
    auto opaque = holder->ComposedOver(colour);
    if (!opaque) return false;
    holder.Reset(std::move(opaque));
    changed = true;
  }
  if (holder->Width() != scaleW || holder->Height() != scaleH) {
    auto scaled = holder->ScaleToSize(scaleW, scaleH, true, settings_.imgScaleMethod);
    if (!scaled) return false;
    holder.Reset(std::move(scaled));
    changed = true;
  }
  if (holder->Width() > frameW || holder->Height() > frameH) return true;
  if (holder->Width() == frameW && holder->Height() == frameH) return true;
  ImageBitmapPtr frame;
  if (!MakeBackgroundFrame(frame, frameW, frameH, std::max(24, holder->Bpp()), colour)) return false;
  const int left = AlignOffset(hMode, frameW, holder->Width()), top = AlignOffset(vMode, frameH, holder->Height());
  if (!frame->Paste(*holder, left, top, kPasteWithoutBlending)) return false;
  holder = frame;
  changed = true;
  return true;
}

bool SlidePreparer::LoadOrFrame(ImageBitmapPtr& holder, bool usable, const UString& imageFile, int frameW,
                                int frameH, int scaleW, int scaleH, COLORREF colour, int hMode, int vMode,
                                bool& changed) const {
  if (!usable) return MakeBackgroundFrame(holder, frameW, frameH, 24, colour);
  holder.Reset(std::make_unique<ImageBitmap>());
  if (!holder->LoadToFit(imageFile, scaleW, scaleH)) return false;
  return FitImageIntoFrame(holder, frameW, frameH, scaleW, scaleH, colour, hMode, vMode, changed);
}

bool SlidePreparer::DrawTitlesOn(ImageBitmapPtr& holder, const TitleList& titles, int factor) const {
  DeviceBitmap bitmap(BitmapFromImage(holder->Dib()), &DeleteObject);
  holder.Reset(nullptr);
  if (!bitmap) return false;
  DrawTitles(titles, bitmap.get(), factor);
  holder.Reset(std::make_unique<ImageBitmap>());
  return holder->Attach(ImageFromBitmap(bitmap.get()));
}

bool SlidePreparer::Write(const ImageBitmap& image, int outFormat, const UString& ext, UString& imageFile,
                          bool& replaced) const {
  const UString name =
      GetTempFileNameA(settings_.keepFinalImages ? settings_.baseFolder : UString(), "iw_temp", ext);
  if (name.empty()) return false;
  if (!image.SaveScratch(name, outFormat, 0)) {
    DeleteFileA(name);
    return false;
  }
  replaced = true;
  imageFile = name;
  return true;
}

bool SlidePreparer::PrepImage(int frameW, int frameH, int scaleW, int scaleH, COLORREF colour, UString& imageFile,
                              int outFormat, bool& replaced, int hMode, int vMode, const TitleList* titles) const {
  if (frameW <= 0 || frameH <= 0) return false;
  if (scaleW <= 0) scaleW = frameW;
  if (scaleH <= 0) scaleH = frameH;
  const UString ext = FirstExtension(outFormat);
  int inFormat = kImageFormatUnknown;
  const bool usable = IsImageFile(imageFile, &inFormat);
  const bool convert = usable && inFormat != outFormat;
  ImageBitmapPtr holder;
  bool changed = false;
  if (!titles) {
    if (!LoadOrFrame(holder, usable, imageFile, frameW, frameH, scaleW, scaleH, colour, hMode, vMode, changed)) {
      return false;
    }
    if (usable && !changed && !convert) return true;
    return Write(*holder, outFormat, ext, imageFile, replaced);
  }
  const int f = std::clamp(settings_.intScaleFactor, 1, 16);
  const bool drawn =
      settings_.keepIntermediateImages
          ? DrawOnWholeFrame(holder, usable, imageFile, frameW, frameH, scaleW, scaleH, colour, hMode, vMode, *titles,
                             ext, outFormat)
          : LoadOrFrame(holder, usable, imageFile, frameW, frameH, scaleW, scaleH, colour, hMode, vMode, changed) &&
                TitleOversampler(f, settings_.intScaleMethod).Draw(*holder, *titles) &&
                BringToFrame(holder, f, frameW, frameH);
  return drawn && Write(*holder, outFormat, ext, imageFile, replaced);
}

// The road that enlarges the whole frame, kept so that the enlarged image can
// be left for the user to see.
bool SlidePreparer::DrawOnWholeFrame(ImageBitmapPtr& holder, bool usable, const UString& imageFile, int frameW,
                                     int frameH, int scaleW, int scaleH, COLORREF colour, int hMode, int vMode,
                                     const TitleList& titles, const UString& ext, int outFormat) const {
  const int f = std::clamp(settings_.intScaleFactor, 1, 16);
  bool changed = false;
  if (!LoadOrFrame(holder, usable, imageFile, f * frameW, f * frameH, f * scaleW, f * scaleH, colour, hMode, vMode,
                   changed) ||
      !DrawTitlesOn(holder, titles, f)) {
    return false;
  }
  holder->SaveScratch(GetTempFileNameA(settings_.baseFolder, "iw_scaled", ext), outFormat, 0);
  return BringToFrame(holder, 1, frameW, frameH);
}

// The titled image, `factor` times smaller than the image the titles were
// drawn for, is scaled to fit the frame unless that image met the frame's
// width or height; it is left alone when it has that size already.
bool SlidePreparer::BringToFrame(ImageBitmapPtr& holder, int factor, int frameW, int frameH) const {
  const int drawnW = factor * holder->Width(), drawnH = factor * holder->Height();
  const RECT target = drawnW != frameW && drawnH != frameH ? RECT{0, 0, frameW, frameH} : RECT{0, 0, drawnW, drawnH};
  RECT result;
  FitRectInRect(result, target, RECT{0, 0, holder->FileWidth(), holder->FileHeight()}, 1.0);
  if (result.right - result.left == holder->Width() && result.bottom - result.top == holder->Height()) return true;
  auto scaled = holder->ScaleToFit(target, true, settings_.intScaleMethod);
  if (!scaled) return false;
  holder.Reset(std::move(scaled));
  return true;
}
