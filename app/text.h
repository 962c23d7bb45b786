#pragma once
// Bounded text helpers. Fixed buffers live only where the state record and the
// operating system want them; every write into one goes through these, sized
// by the destination, and reports whether the whole text fitted.

#include <cstdarg>
#include <cstddef>

// printf-style format into out[capacity]; the result is always terminated.
// Returns false when the text was cut to fit.
bool FormatText(char* out, size_t capacity, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
bool FormatTextV(char* out, size_t capacity, const char* format, va_list args);

// Copies at most capacity - 1 characters of text; false when it was cut.
bool CopyText(char* out, size_t capacity, const char* text);

template <size_t N>
bool CopyText(char (&out)[N], const char* text) {
  return CopyText(out, N, text);
}
