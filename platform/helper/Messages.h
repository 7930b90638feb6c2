#pragma once

// Shows a message to the user (standard error, one line).
void Message(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
// A trace line on standard error, only when TOLVA_TRACE is set.
void DebugString(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
// True when standard error is a terminal a person watches (not a file or a pipe).
bool ErrorStreamIsTerminal();
