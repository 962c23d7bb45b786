#pragma once
// Resource names as the template application uses them: the format layer's
// ResId (a number or a text) compared as the system compares names (texts
// without regard to case), described for the status line and the resource
// list, and converted to the wide strings the system takes. Plain code: the
// tests and the start benchmark link it without the program.

#include <cstdint>
#include <string>

#include "package/res/res_file.h"

namespace kestrix {

using package::ResId;

std::wstring Wide(const std::u16string& s);
std::u16string Utf16(const std::wstring& s);

inline bool IsNumber(const ResId& id, uint16_t n) { return id.numeric && id.number == n; }
bool IsText(const ResId& id, const wchar_t* text);
bool SameName(const ResId& a, const ResId& b);

// The short name of a standard resource type ("MENU"), nullptr for others.
const wchar_t* StandardTypeName(unsigned type);
// "#4 MENU" for a standard type, "#100" for a number, the text otherwise.
std::wstring Describe(const ResId& id, bool isType);

}  // namespace kestrix
