#pragma once
// Code pages: which ones a script may name and how its bytes become UTF-16.
//
// 1252 (the default) and 65001 (UTF-8) are decoded by the compiler itself,
// the same on every build, so the host build and its fuzz target agree with
// brc32 on them. Every other code page goes to the system's own conversion:
// on Windows, MultiByteToWideChar for any code page the system has installed
// (rc_codepage_win32.cpp). The host build has no such conversion
// (rc_codepage_portable.cpp): there only 1252 and 65001 are known, and a
// script naming another is refused, naming it, rather than misread.

#include <string>

namespace package {

constexpr int kDefaultCodePage = 1252;
constexpr int kUtf8CodePage = 65001;

// True if text in `codePage` can be converted.
bool CodePageKnown(int codePage);

// True if `byte` starts a two-byte character in `codePage` (932, 936, 949,
// 950 and the other double-byte code pages); its second byte is never an
// escape or a quote, whatever its value.
bool IsLeadByte(int codePage, unsigned char byte);

// Decodes bytes in `codePage` to UTF-16; an unknown code page reads as 1252.
std::u16string DecodeCodePage(const std::string& bytes, int codePage);

namespace detail {
// The compiler's own decoders, which the system conversion falls back to.
std::u16string Decode1252(const std::string& bytes);
std::u16string DecodeUtf8(const std::string& bytes);
// The system's conversion of a code page other than 1252 and 65001.
bool SystemCodePageKnown(int codePage);
bool SystemIsLeadByte(int codePage, unsigned char byte);
std::u16string SystemDecode(const std::string& bytes, int codePage);
}  // namespace detail

}  // namespace package
