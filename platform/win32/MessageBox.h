#pragma once

using WindowHandle = void*;

constexpr unsigned MB_ICONHAND = 0x10;
constexpr int IDOK = 1;

// A console program has no window of its own.
WindowHandle GetActiveWindow();
// Shows `text` under `caption` to the user and waits for nothing; answers IDOK.
int MessageBoxA(WindowHandle owner, const char* text, const char* caption, unsigned type);
