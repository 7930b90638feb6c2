#pragma once
#include <cstdint>
#include <vector>

#include "platform/quicktime/QtTypes.h"

// Memory: a handle is a resizable block of bytes that the toolbox and its
// callers hand back and forth (sample data, sample descriptions, data
// references, user data). Bytes are at h->data(); the caller disposes of the
// handles it made.
using Handle = std::vector<std::uint8_t>*;
using SampleDescriptionHandle = Handle;
using SoundDescriptionHandle = Handle;
using ImageDescriptionHandle = Handle;

Handle NewHandle(long size);
Handle NewHandleClear(long size);
void DisposeHandle(Handle h);
long GetHandleSize(Handle h);
void SetHandleSize(Handle h, long size);
// Blocks never move here; locking is kept for the callers' sake.
inline void HLock(Handle) {}
inline void HUnlock(Handle) {}

// 16.16 fixed values.
constexpr Fixed Long2Fix(long value) { return Fixed(value * fixed1); }
constexpr long Fix2Long(Fixed value) { return value / fixed1; }
constexpr Fixed X2Fix(double value) { return Fixed(value * fixed1); }
constexpr double Fix2X(Fixed value) { return double(value) / fixed1; }
