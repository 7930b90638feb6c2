#include "platform/helper/UString.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <vector>

int UString::format(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  const int n = vformat(fmt, args);
  va_end(args);
  return n;
}

int UString::vformat(const char* fmt, va_list args) {
  va_list probe;
  va_copy(probe, args);
  const int n = std::vsnprintf(nullptr, 0, fmt, probe);
  va_end(probe);
  if (n < 0) {
    clear();
    return n;
  }
  std::vector<char> text(std::size_t(n) + 1);
  std::vsnprintf(text.data(), text.size(), fmt, args);
  assign(text.data(), std::size_t(n));
  return n;
}

namespace {
int Lower(char c) { return std::tolower(static_cast<unsigned char>(c)); }
}  // namespace

int icompare(const std::string& s, const char* text) {
  return icompare(s, 0, s.size(), text);
}

int icompare(const std::string& s, std::size_t pos, std::size_t len, const char* text) {
  if (pos > s.size()) pos = s.size();
  len = std::min(len, s.size() - pos);
  const std::size_t tlen = text ? std::strlen(text) : 0;
  for (std::size_t i = 0; i < len && i < tlen; ++i) {
    const int d = Lower(s[pos + i]) - Lower(text[i]);
    if (d != 0) return d < 0 ? -1 : 1;
  }
  return len == tlen ? 0 : (len < tlen ? -1 : 1);
}

std::size_t ifind_last_of(const std::string& s, char c, std::size_t from) {
  if (s.empty()) return std::string::npos;
  for (std::size_t i = std::min(from, s.size() - 1) + 1; i-- > 0;)
    if (Lower(s[i]) == Lower(c)) return i;
  return std::string::npos;
}

std::size_t ifind_last_of(const std::string& s, const char* text, std::size_t from) {
  const std::size_t n = text ? std::strlen(text) : 0;
  if (n == 0 || n > s.size()) return std::string::npos;
  for (std::size_t i = std::min(from, s.size() - n) + 1; i-- > 0;)
    if (icompare(s, i, n, text) == 0) return i;
  return std::string::npos;
}
