// Case-insensitive comparison of ASCII text, independent of the C locale
// (tape names and file extensions are ASCII).
#pragma once

#include <cstddef>

namespace reelbox {

inline char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

inline bool EqualsIgnoringCase(const char* a, const char* b) {
  for (; *a != '\0' && *b != '\0'; ++a, ++b) {
    if (AsciiLower(*a) != AsciiLower(*b)) return false;
  }
  return *a == *b;
}

// Compares the first count characters of a and b; a NUL ends the comparison
// early only when both texts end there.
inline bool EqualsIgnoringCase(const char* a, const char* b, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    if (a[i] == '\0') return true;
  }
  return true;
}

}  // namespace reelbox
