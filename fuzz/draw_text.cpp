// DrawText with any text, flags, rectangle and viewport origin: it must
// measure, draw and tell what it touched without a fault, whatever the bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/GdiBitmap.h"
#include "platform/gdi/UDC.h"
#include "platform/gdi/UDrawChars.h"
#include "platform/gdi/UFont.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  struct {
    std::uint32_t flags;
    std::int16_t left, top, right, bottom, height;
  } head{};
  if (size < sizeof head) return 0;
  std::memcpy(&head, data, sizeof head);
  const std::string text(reinterpret_cast<const char*>(data) + sizeof head, size - sizeof head);
  std::unique_ptr<GdiBitmap, decltype(&DeleteObject)> bitmap(CreateDIBSectionBmp(32, 64, 36, 0), &DeleteObject);
  UDC udc;
  udc.SetBitmap(bitmap.get());
  UFont font;
  font.Height(head.height % 200);
  font.CreateFontA();
  UDrawChars drawer(udc.GetDC(), font);
  SetBkMode(udc.GetDC(), head.flags & 1 ? OPAQUE : TRANSPARENT);
  SetViewportOrgEx(udc.GetDC(), -head.left / 2, -head.top / 2, nullptr);
  SetBoundsRect(udc.GetDC(), nullptr, DCB_ENABLE | DCB_RESET);
  RECT rc{head.left, head.top, head.right, head.bottom};
  drawer.DrawTextA(text.c_str(), rc, head.flags | DT_CALCRECT);
  rc = RECT{head.left, head.top, head.right, head.bottom};
  drawer.DrawTextA(text.c_str(), rc, head.flags & ~DT_CALCRECT);
  RECT touched;
  GetBoundsRect(udc.GetDC(), &touched, DCB_RESET);
  return 0;
}
