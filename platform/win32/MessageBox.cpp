#include "platform/win32/MessageBox.h"

#include "platform/helper/Messages.h"

WindowHandle GetActiveWindow() { return nullptr; }

int MessageBoxA(WindowHandle, const char* text, const char* caption, unsigned) {
  Message("%s: %s", caption ? caption : "", text ? text : "");
  return IDOK;
}
