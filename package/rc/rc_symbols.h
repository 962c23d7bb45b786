#pragma once
// The constants that scripts take from the Windows SDK headers (window,
// dialog and control styles, command ids, virtual keys, resource types,
// languages, version-record flags), built into the compiler so that those
// headers need not be read.

#include <cstdint>
#include <string>

namespace package {

// The value of a built-in constant; false if `name` is none (case matters).
bool LookupBuiltinSymbol(const std::string& name, int64_t& value);

}  // namespace package
