#include "platform/gdi/UDrawChars.h"

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/TextDrawer.h"

UDrawChars::UDrawChars(HDC dc, HFONT font) : dc_(dc) {
  if (dc_ && font) {
    previous_ = SelectFont(dc_, font);
    selected_ = true;
  }
}

UDrawChars::~UDrawChars() {
  if (selected_) SelectFont(dc_, previous_);
}

int UDrawChars::DrawTextA(const char* text, RECT& rc, std::uint32_t flags) {
  if (!dc_) return 0;
  return TextDrawer(*dc_, text, flags).Draw(rc);
}
