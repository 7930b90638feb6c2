#pragma once
#include <string>

// Runs `program` with `arguments` split as a command line is (quotes group
// words) and waits for it. 0 when it ran; else a spawn error number:
// 2 not found, 7 argument list too long, 8 not executable, 12 no memory,
// 22 invalid. A program "x.exe" that is not found is tried as "x".
// `exitStatus`, when given, receives the program's own exit status.
int Spawn(const std::string& program, const std::string& arguments, bool detach, int* exitStatus = nullptr);
