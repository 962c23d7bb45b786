#include "app/text.h"

#include <cstdio>
#include <cstring>

bool FormatTextV(char* out, size_t capacity, const char* format, va_list args) {
  if (capacity == 0) return false;
  int needed = std::vsnprintf(out, capacity, format, args);
  if (needed < 0) {
    out[0] = '\0';
    return false;
  }
  return static_cast<size_t>(needed) < capacity;
}

bool FormatText(char* out, size_t capacity, const char* format, ...) {
  va_list args;
  va_start(args, format);
  bool fitted = FormatTextV(out, capacity, format, args);
  va_end(args);
  return fitted;
}

bool CopyText(char* out, size_t capacity, const char* text) {
  if (capacity == 0) return false;
  size_t length = std::strlen(text);
  bool fitted = length < capacity;
  if (!fitted) length = capacity - 1;
  std::memmove(out, text, length);
  out[length] = '\0';
  return fitted;
}
