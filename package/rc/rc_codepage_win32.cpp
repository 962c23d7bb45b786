// The system's conversion of code pages on Windows: whatever code page is
// installed converts through MultiByteToWideChar.

#include <windows.h>

#include "package/rc/rc_codepage.h"

namespace package {
namespace detail {

bool SystemCodePageKnown(int codePage) {
  return codePage > 0 && codePage < 65536 && IsValidCodePage(static_cast<UINT>(codePage));
}

bool SystemIsLeadByte(int codePage, unsigned char byte) {
  return IsDBCSLeadByteEx(static_cast<UINT>(codePage), byte) != FALSE;
}

std::u16string SystemDecode(const std::string& bytes, int codePage) {
  if (bytes.empty()) return std::u16string();
  const int size = static_cast<int>(bytes.size());
  const int n = MultiByteToWideChar(static_cast<UINT>(codePage), 0, bytes.data(), size, nullptr, 0);
  if (n <= 0) return Decode1252(bytes);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(static_cast<UINT>(codePage), 0, bytes.data(), size, &wide[0], n);
  return std::u16string(wide.begin(), wide.end());
}

}  // namespace detail
}  // namespace package
