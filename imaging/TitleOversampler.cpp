#include "imaging/TitleOversampler.h"

#include <algorithm>
#include <cstring>

#include "imaging/ImageFiles.h"
#include "imaging/ImageResampler.h"
#include "imaging/TitleDrawing.h"
#include "platform/gdi/DeviceContext.h"

namespace {
bool Meet(const RECT& a, const RECT& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

RECT Union(const RECT& a, const RECT& b) {
  return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
              std::max(a.bottom, b.bottom)};
}

int FloorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }
int CeilDiv(int a, int b) { return -FloorDiv(-a, b); }

FiBitmap Rescaled(FIBITMAP* dib, int width, int height, int filter) {
  return ImageResampler(filter).Resample(dib, width, height);
}

// Which pixels of the box the titles reached: a pixel whose block of
// factor × factor enlarged pixels changed, and every pixel within `reach`
// of one.
class ChangedPixels {
 public:
  ChangedPixels(FIBITMAP* before, FIBITMAP* after, int factor, int reach)
      : width_(int(FreeImage_GetWidth(before)) / factor), height_(int(FreeImage_GetHeight(before)) / factor),
        marks_(std::size_t(width_) * std::size_t(height_), 0) {
    MarkBlocks(before, after, factor);
    Spread(reach);
  }
  bool operator()(int x, int y) const { return marks_[std::size_t(y) * std::size_t(width_) + std::size_t(x)] != 0; }

 private:
  // Rows are counted from the top; FreeImage keeps them bottom-up.
  void MarkBlocks(FIBITMAP* before, FIBITMAP* after, int factor) {
    const int bytes = int(FreeImage_GetBPP(before)) / 8, fullHeight = int(FreeImage_GetHeight(before));
    const std::size_t span = std::size_t(factor) * std::size_t(bytes);
    for (int row = 0; row < fullHeight; ++row) {
      const BYTE* a = FreeImage_GetScanLine(before, fullHeight - 1 - row);
      const BYTE* b = FreeImage_GetScanLine(after, fullHeight - 1 - row);
      std::uint8_t* mark = &marks_[std::size_t(row / factor) * std::size_t(width_)];
      for (int x = 0; x < width_; ++x) {
        if (!mark[x] && std::memcmp(a + std::size_t(x) * span, b + std::size_t(x) * span, span) != 0) mark[x] = 1;
      }
    }
  }

  void Spread(int reach) {
    std::vector<std::uint8_t> across(marks_.size(), 0);
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x) {
        if (!(*this)(x, y)) continue;
        for (int i = std::max(0, x - reach); i <= std::min(width_ - 1, x + reach); ++i) {
          across[std::size_t(y) * std::size_t(width_) + std::size_t(i)] = 1;
        }
      }
    }
    std::fill(marks_.begin(), marks_.end(), 0);
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x) {
        if (!across[std::size_t(y) * std::size_t(width_) + std::size_t(x)]) continue;
        for (int j = std::max(0, y - reach); j <= std::min(height_ - 1, y + reach); ++j) {
          marks_[std::size_t(j) * std::size_t(width_) + std::size_t(x)] = 1;
        }
      }
    }
  }

  int width_, height_;
  std::vector<std::uint8_t> marks_;
};

void PasteChanged(FIBITMAP* image, FIBITMAP* box, const RECT& where, const ChangedPixels& changed) {
  const int bytes = int(FreeImage_GetBPP(image)) / 8, imageHeight = int(FreeImage_GetHeight(image));
  const int boxHeight = where.bottom - where.top;
  for (int y = 0; y < boxHeight; ++y) {
    BYTE* out = FreeImage_GetScanLine(image, imageHeight - 1 - (where.top + y)) + where.left * bytes;
    const BYTE* in = FreeImage_GetScanLine(box, boxHeight - 1 - y);
    for (int x = 0; x < where.right - where.left; ++x) {
      if (changed(x, y)) std::memcpy(out + x * bytes, in + x * bytes, std::size_t(bytes));
    }
  }
}
}  // namespace

TitleOversampler::TitleOversampler(int factor, int filter) : factor_(std::clamp(factor, 1, 16)), filter_(filter) {}

// How many pixels of the image one enlarged pixel reaches through the filter
// that brings it down, with one to spare for where the box's edge cuts it.
int TitleOversampler::Reach() const {
  switch (filter_) {
    case FILTER_BOX:
    case FILTER_BILINEAR:
      return 2;
    case FILTER_LANCZOS3:
      return 4;
    default:
      return 3;
  }
}

std::vector<TitleOversampler::Group> TitleOversampler::Groups(const ImageBitmap& image,
                                                              const TitleList& titles) const {
  // Twice the reach: what is pasted lies a reach inside the box, away from
  // the box's edge, where the filter sees less of the picture than it would.
  const int width = image.Width(), height = image.Height(), margin = 2 * Reach();
  std::vector<Group> groups;
  for (std::size_t i = 0; i < titles.size(); ++i) {
    const RECT painted = TitleBounds(titles[i], factor_, factor_ * width, factor_ * height);
    if (IsRectEmpty(painted)) continue;
    Group group{RECT{std::max(0, FloorDiv(painted.left, factor_) - margin),
                     std::max(0, FloorDiv(painted.top, factor_) - margin),
                     std::min(width, CeilDiv(painted.right, factor_) + margin),
                     std::min(height, CeilDiv(painted.bottom, factor_) + margin)},
                {i}};
    if (IsRectEmpty(group.box)) continue;
    // A title joins every earlier box it meets; the joined box may meet more.
    for (auto other = groups.begin(); other != groups.end();) {
      if (!Meet(other->box, group.box)) {
        ++other;
        continue;
      }
      group.box = Union(group.box, other->box);
      group.titles.insert(group.titles.begin(), other->titles.begin(), other->titles.end());
      groups.erase(other);
      other = groups.begin();
    }
    std::sort(group.titles.begin(), group.titles.end());
    groups.push_back(std::move(group));
  }
  return groups;
}

bool TitleOversampler::DrawGroup(ImageBitmap& image, const TitleList& titles, const Group& group) const {
  const RECT& box = group.box;
  const int boxWidth = box.right - box.left, boxHeight = box.bottom - box.top;
  const FiBitmap under(FreeImage_Copy(image.Dib(), box.left, box.top, box.right, box.bottom), &FreeImage_Unload);
  if (!under) return false;
  const FiBitmap enlarged = Rescaled(under.get(), factor_ * boxWidth, factor_ * boxHeight, FILTER_BOX);
  if (!enlarged) return false;
  DeviceBitmap bitmap(BitmapFromImage(enlarged.get()), &DeleteObject);
  if (!bitmap) return false;
  {
    UDC udc;
    udc.SetBitmap(bitmap.get());
    SetViewportOrgEx(udc.GetDC(), -factor_ * box.left, -factor_ * box.top, nullptr);
    for (const std::size_t i : group.titles) {
      DrawTitleOnCanvas(titles[i].format, udc, titles[i].text, factor_, factor_ * image.Width(),
                        factor_ * image.Height());
    }
  }
  const FiBitmap drawn = ImageFromBitmap(bitmap.get());
  if (!drawn) return false;
  const FiBitmap reduced = Rescaled(drawn.get(), boxWidth, boxHeight, filter_);
  if (!reduced) return false;
  PasteChanged(image.Dib(), reduced.get(), box, ChangedPixels(enlarged.get(), drawn.get(), factor_, Reach()));
  return true;
}

bool TitleOversampler::DrawWhole(ImageBitmap& image, const TitleList& titles) const {
  DeviceBitmap bitmap(BitmapFromImage(image.Dib()), &DeleteObject);
  if (!bitmap) return false;
  DrawTitles(titles, bitmap.get(), 1);
  FiBitmap drawn = ImageFromBitmap(bitmap.get());
  if (!drawn) return false;
  image.Unload();
  return image.Attach(std::move(drawn));
}

// Titles are drawn in colour, so a grey or palette image becomes 24 bits, as
// a device bitmap would make it.
bool TitleOversampler::Draw(ImageBitmap& image, const TitleList& titles) const {
  if (!image.IsLoaded()) return false;
  if (factor_ == 1) return DrawWhole(image, titles);
  if (image.Bpp() != 24 && image.Bpp() != 32) {
    FiBitmap colour(FreeImage_ConvertTo24Bits(image.Dib()), &FreeImage_Unload);
    if (!colour) return false;
    image.Unload();
    image.Attach(std::move(colour));
  }
  for (const Group& group : Groups(image, titles)) {
    if (!DrawGroup(image, titles, group)) return false;
  }
  return true;
}
