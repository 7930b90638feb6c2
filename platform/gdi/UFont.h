#pragma once
#include <memory>
#include <string>

#include "platform/gdi/FontHandle.h"
#include "platform/gdi/GdiDefs.h"

// A font to be made: face, height, weight and slant are set first, then
// CreateFontA makes it and the font can be selected into a device context.
class UFont {
 public:
  void FaceName(const std::string& face) { face_ = face; }
  void Height(int height) { height_ = height; }  // points at 96 dpi
  void Weight(int weight) { weight_ = weight; }  // FW_NORMAL, FW_BOLD, ...
  void Italic(bool italic) { italic_ = italic; }

  bool CreateFontA();
  HFONT GetFont() const { return font_.get(); }
  operator HFONT() const { return GetFont(); }

 private:
  std::string face_;
  int height_ = 0, weight_ = FW_NORMAL;
  bool italic_ = false;
  std::unique_ptr<FontHandle> font_;
};
