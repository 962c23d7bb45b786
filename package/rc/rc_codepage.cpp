// Code pages: the compiler's own decoders of 1252 and UTF-8, and the choice
// between them and the system's conversion.

#include "package/rc/rc_codepage.h"

#include <cstdint>

namespace package {

bool CodePageKnown(int codePage) {
  return codePage == kDefaultCodePage || codePage == kUtf8CodePage || detail::SystemCodePageKnown(codePage);
}

bool IsLeadByte(int codePage, unsigned char byte) {
  if (byte < 0x80 || codePage == kDefaultCodePage || codePage == kUtf8CodePage) return false;
  return detail::SystemIsLeadByte(codePage, byte);
}

std::u16string DecodeCodePage(const std::string& bytes, int codePage) {
  if (codePage == kUtf8CodePage) return detail::DecodeUtf8(bytes);
  if (codePage == kDefaultCodePage || !detail::SystemCodePageKnown(codePage)) return detail::Decode1252(bytes);
  return detail::SystemDecode(bytes, codePage);
}

namespace detail {

std::u16string Decode1252(const std::string& bytes) {
  // Windows-1252 differs from Latin-1 only in 0x80..0x9F.
  static const char16_t k1252[32] = {
      0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  std::u16string out;
  out.reserve(bytes.size());
  for (unsigned char c : bytes) out.push_back(c >= 0x80 && c < 0xA0 ? k1252[c - 0x80] : c);
  return out;
}

std::u16string DecodeUtf8(const std::string& bytes) {
  std::u16string out;
  for (size_t i = 0; i < bytes.size();) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    uint32_t cp = 0xFFFD;
    size_t len = 1;
    if (c < 0x80) {
      cp = c;
    } else if ((c & 0xE0) == 0xC0) {
      len = 2;
      cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      len = 3;
      cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      len = 4;
      cp = c & 0x07;
    }
    if (len > 1 && i + len > bytes.size()) {
      cp = 0xFFFD;
      len = 1;
    }
    for (size_t k = 1; k < len; ++k) {
      const unsigned char cc = static_cast<unsigned char>(bytes[i + k]);
      if ((cc & 0xC0) != 0x80) {
        cp = 0xFFFD;
        len = k;
        break;
      }
      cp = (cp << 6) | (cc & 0x3F);
    }
    i += len;
    if (cp >= 0x10000 && cp <= 0x10FFFF) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp > 0xFFFF ? 0xFFFD : cp));
    }
  }
  return out;
}

}  // namespace detail

}  // namespace package
