#pragma once

// printf to standard error; every message meant for standard error goes through it.
int ErrorPrintf(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
