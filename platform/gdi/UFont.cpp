#include "platform/gdi/UFont.h"

bool UFont::CreateFontA() {
  font_ = std::make_unique<FontHandle>(face_, height_, weight_, italic_);
  return true;
}
