#pragma once
#include <cstdarg>
#include <string>

// A std::string with the extras the program's code leans on everywhere:
// printf-style formatting and a direct view as a C string.
class UString : public std::string {
 public:
  using std::string::string;
  UString() = default;
  UString(const std::string& s) : std::string(s) {}
  UString(std::string&& s) : std::string(std::move(s)) {}

  // Replaces the contents with the formatted text; returns the new length.
  int format(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
  int vformat(const char* fmt, va_list args);

  operator const char*() const { return c_str(); }
  char& operator[](size_type i) { return std::string::operator[](i); }
  const char& operator[](size_type i) const { return std::string::operator[](i); }
};

// 0 when equal ignoring ASCII case; otherwise the sign of the first difference.
int icompare(const std::string& s, const char* text);
int icompare(const std::string& s, std::size_t pos, std::size_t len, const char* text);

// Case-insensitive search from the end (before or at `from`).
std::size_t ifind_last_of(const std::string& s, char c, std::size_t from = std::string::npos);
std::size_t ifind_last_of(const std::string& s, const char* text, std::size_t from = std::string::npos);
