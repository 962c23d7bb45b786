// The host build's stand-in for the system's conversion: it has none, so
// only the compiler's own 1252 and UTF-8 are known there.

#include "package/rc/rc_codepage.h"

namespace package {
namespace detail {

bool SystemCodePageKnown(int) { return false; }

bool SystemIsLeadByte(int, unsigned char) { return false; }

std::u16string SystemDecode(const std::string& bytes, int) { return Decode1252(bytes); }

}  // namespace detail
}  // namespace package
