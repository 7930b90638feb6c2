#pragma once
#include <pango/pango.h>

#include <memory>
#include <string>

// A created font: the description that fontconfig resolves to a real face.
// Windows names such as "Arial" find their metric-compatible stand-ins; an
// unknown name falls back to the default sans face.
class FontHandle {
 public:
  // `points` at 96 dpi; weight on the Windows scale (0 = normal).
  FontHandle(const std::string& face, int points, int weight, bool italic);
  const PangoFontDescription* Description() const { return description_.get(); }

 private:
  std::unique_ptr<PangoFontDescription, decltype(&pango_font_description_free)> description_;
};
