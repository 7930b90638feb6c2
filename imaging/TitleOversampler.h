#pragma once
#include <vector>

#include "imaging/ImageBitmap.h"
#include "imaging/TitleList.h"

// Draws a slide's titles as if the whole slide were drawn `factor` times
// larger and scaled down with `filter`, at the cost of its titles alone.
// Only the box each title paints is enlarged, from the picture under it;
// titles whose boxes meet are drawn together, in their order. The box is
// brought down with the filter and pasted where the titles changed it (and
// as far round as the filter reaches), so the picture elsewhere stays the
// pixels it was.
class TitleOversampler {
 public:
  TitleOversampler(int factor, int filter);
  // `image` is 24 or 32 bits a pixel; false when a bitmap cannot be made.
  bool Draw(ImageBitmap& image, const TitleList& titles) const;

 private:
  struct Group {
    RECT box;  // pixels of the image
    std::vector<std::size_t> titles;  // indices into the list, in its order
  };

  std::vector<Group> Groups(const ImageBitmap& image, const TitleList& titles) const;
  bool DrawGroup(ImageBitmap& image, const TitleList& titles, const Group& group) const;
  bool DrawWhole(ImageBitmap& image, const TitleList& titles) const;
  int Reach() const;

  int factor_;
  int filter_;
};
