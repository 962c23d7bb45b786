// Resource names: comparison, description and conversion.

#include "package/kestrix/kestrix_names.h"

#include <cwchar>
#include <cwctype>

namespace kestrix {

std::wstring Wide(const std::u16string& s) { return std::wstring(s.begin(), s.end()); }

std::u16string Utf16(const std::wstring& s) {
  std::u16string out;
  for (wchar_t c : s) out.push_back(static_cast<char16_t>(c));
  return out;
}

const wchar_t* StandardTypeName(unsigned n) {
  static const wchar_t* const kNames[] = {
      nullptr,         L"CURSOR",  L"BITMAP",     L"ICON",        L"MENU",     L"DIALOG",     L"STRING",
      L"FONTDIR",      L"FONT",    L"ACCELERATOR", L"RCDATA",     L"MESSAGETABLE", L"GROUP_CURSOR", nullptr,
      L"GROUP_ICON",   nullptr,    L"VERSION",    L"DLGINCLUDE",  nullptr,     L"PLUGPLAY",   L"VXD",
      L"ANICURSOR",    L"ANIICON", L"HTML",       L"MANIFEST"};
  return n < sizeof kNames / sizeof kNames[0] ? kNames[n] : nullptr;
}

bool IsText(const ResId& id, const wchar_t* other) {
  if (id.numeric) return false;
  size_t i = 0;
  for (; i < id.text.size() && other[i]; ++i) {
    if (std::towupper(static_cast<wint_t>(id.text[i])) != std::towupper(static_cast<wint_t>(other[i]))) return false;
  }
  return i == id.text.size() && other[i] == L'\0';
}

bool SameName(const ResId& a, const ResId& b) {
  if (a.numeric != b.numeric) return false;
  return a.numeric ? a.number == b.number : a.text.size() == b.text.size() && IsText(a, Wide(b.text).c_str());
}

std::wstring Describe(const ResId& id, bool isType) {
  if (!id.numeric) return Wide(id.text);
  const wchar_t* name = isType ? StandardTypeName(id.number) : nullptr;
  wchar_t out[48];
  if (name)
    swprintf(out, sizeof out / sizeof out[0], L"#%u %ls", static_cast<unsigned>(id.number), name);
  else
    swprintf(out, sizeof out / sizeof out[0], L"#%u", static_cast<unsigned>(id.number));
  return out;
}

}  // namespace kestrix
