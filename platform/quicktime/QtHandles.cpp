#include "platform/quicktime/QtHandles.h"

Handle NewHandle(long size) { return size < 0 ? nullptr : new std::vector<std::uint8_t>(std::size_t(size)); }

Handle NewHandleClear(long size) { return NewHandle(size); }

void DisposeHandle(Handle h) { delete h; }

long GetHandleSize(Handle h) { return h ? long(h->size()) : 0; }

void SetHandleSize(Handle h, long size) {
  if (h && size >= 0) h->resize(std::size_t(size));
}
