#include "platform/gdi/FontHandle.h"

#include <algorithm>

#include "platform/gdi/GdiDefs.h"

namespace {
constexpr const char* kDefaultFace = "Arial";
constexpr int kDefaultPoints = 12;
}  // namespace

FontHandle::FontHandle(const std::string& face, int points, int weight, bool italic)
    : description_(pango_font_description_new(), &pango_font_description_free) {
  PangoFontDescription* d = description_.get();
  pango_font_description_set_family(d, face.empty() ? kDefaultFace : face.c_str());
  if (points < 0) points = -points;
  pango_font_description_set_size(d, (points == 0 ? kDefaultPoints : std::min(points, 4096)) * PANGO_SCALE);
  pango_font_description_set_weight(d, PangoWeight(weight <= 0 ? FW_NORMAL : std::clamp(weight, 100, 1000)));
  pango_font_description_set_style(d, italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
}

// Fontconfig keeps its font lists for the life of the process and frees them
// in no call we make; the leak checker is told so rather than every test.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
// Nor is the count of what it passed over printed: the program's standard
// error says only what the user should read.
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }
