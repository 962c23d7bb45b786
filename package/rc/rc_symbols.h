#pragma once
// The constants that scripts take from the Windows SDK headers: every
// object-like integer #define of the MinGW-w64 headers scripts include
// (winuser, commctrl, winnt, winver, dlgs, richedit, wingdi, prsht), made into
// a table when the compiler is built, so that those headers need not be read,
// with their function-like macros (TEXT, MAKELANGID, RGB, ...); and the
// styles and class names of the Borland custom controls.

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace package {

// The value of a built-in constant; false if `name` is none (case matters).
bool LookupBuiltinSymbol(const std::string& name, int64_t& value);

// The text of a window class name the headers define as a string
// (WC_LISTVIEW is "SysListView32"); false if `name` is none.
bool LookupBuiltinString(const std::string& name, std::string& text);

// Calls `visit` with every built-in constant's name.
void ForEachBuiltinSymbol(void (*visit)(const char* name, void* context), void* context);

// The header that defines a built-in constant, or null.
const char* BuiltinSymbolHeader(const std::string& name);

// The function-like macros (and names for them) of `header` that a script
// can use, each as the text after "#define ": "RGB(r,g,b) ...".
std::vector<std::string> BuiltinMacroDefinitions(const std::string& header);

// Adds the headers whose built-in constants an #include of `name` (a system
// header) defines for the preprocessor, as that header would: <windows.h>
// under RC_INVOKED gives what winresrc.h reads (winuser.rh and the like, not
// RT_VERSION), <winuser.h> gives winuser.h's and winuser.rh's.
void AddVisibleHeaders(const std::string& name, std::set<std::string>& visible);

}  // namespace package
