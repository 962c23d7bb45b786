// Enumerating the module's own resources and reading their bytes safely.

#include "package/kestrix/kestrix_resources.h"

#include <cwchar>
#include <cwctype>

#include "package/kestrix/kestrix_language.h"

namespace kestrix {
namespace {

struct Listing {
  std::vector<Resource> resources;
};

BOOL CALLBACK OnLanguage(HMODULE module, LPCWSTR type, LPCWSTR name, WORD language, LONG_PTR param) {
  Resource r;
  r.type = NameFrom(type);
  r.name = NameFrom(name);
  r.language = language;
  if (HRSRC found = FindResourceExW(module, type, name, language)) {
    r.size = SizeofResource(module, found);
    HGLOBAL loaded = LoadResource(module, found);
    r.data = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    if (!r.data) r.size = 0;
  }
  reinterpret_cast<Listing*>(param)->resources.push_back(r);
  return TRUE;
}

BOOL CALLBACK OnName(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR param) {
  EnumResourceLanguagesW(module, type, name, OnLanguage, param);
  return TRUE;
}

BOOL CALLBACK OnType(HMODULE module, LPWSTR type, LONG_PTR param) {
  EnumResourceNamesW(module, type, OnName, param);
  return TRUE;
}

}  // namespace

static_assert(sizeof(wchar_t) == sizeof(char16_t), "the system's wide strings are UTF-16");

ResId NameFrom(LPCWSTR id) {
  if (IS_INTRESOURCE(id)) return ResId::Number(static_cast<WORD>(reinterpret_cast<uintptr_t>(id)));
  return ResId::Text(Utf16(id));
}

LPCWSTR NamePointer(const ResId& name) {
  return name.numeric ? MAKEINTRESOURCEW(name.number) : reinterpret_cast<LPCWSTR>(name.text.c_str());
}

bool Resource::IsType(const void* standard) const {
  return IsNumber(type, static_cast<WORD>(reinterpret_cast<uintptr_t>(standard)));
}

std::wstring Resource::Line() const {
  wchar_t tail[64];
  swprintf(tail, sizeof tail / sizeof tail[0], L", language %04X, %lu bytes", language,
           static_cast<unsigned long>(size));
  return L"type " + Describe(type, true) + L", name " + Describe(name, false) + tail;
}

std::wstring Resource::Label() const {
  const wchar_t* standard = type.numeric ? StandardTypeName(type.number) : nullptr;
  return (standard ? std::wstring(standard) : Describe(type, true)) + L" " + Describe(name, false);
}

std::vector<Resource> ListResources(HMODULE module) {
  Listing listing;
  EnumResourceTypesW(module, OnType, reinterpret_cast<LONG_PTR>(&listing));
  return listing.resources;
}

const Resource* FindFirst(const std::vector<Resource>& all, const void* type) {
  for (const Resource& r : all) {
    if (r.IsType(type)) return Find(all, type, r.name);
  }
  return nullptr;
}

const Resource* Find(const std::vector<Resource>& all, const void* type, const ResId& name) {
  std::vector<const Resource*> found;
  std::vector<uint16_t> languages;
  for (const Resource& r : all) {
    if (!r.IsType(type) || !SameName(r.name, name)) continue;
    found.push_back(&r);
    languages.push_back(r.language);
  }
  if (found.empty()) return nullptr;
  return found[LanguagePreference(languages, GetUserDefaultUILanguage()).front()];
}

std::wstring ShownLabel(const std::vector<Resource>& all, const Resource& shown) {
  unsigned languages = 0;
  for (const Resource& r : all) languages += SameName(r.type, shown.type) && SameName(r.name, shown.name);
  if (languages < 2) return shown.Label();
  wchar_t localeName[128] = L"";
  const wchar_t* name = localeName;
  if (shown.language == kLanguageNeutral)
    name = L"neutral";
  else if (!GetLocaleInfoW(MAKELCID(shown.language, SORT_DEFAULT), LOCALE_SENGLISHDISPLAYNAME, localeName,
                           sizeof localeName / sizeof localeName[0]))
    name = L"unknown";
  wchar_t tail[192];
  swprintf(tail, sizeof tail / sizeof tail[0], L" in language %04X (%ls; %u languages)", shown.language, name,
           languages);
  return shown.Label() + tail;
}

ResId NameFromText(const std::wstring& text) {
  bool digits = !text.empty() && text.size() <= 5;
  for (wchar_t c : text) digits = digits && c >= L'0' && c <= L'9';
  if (digits && std::wcstoul(text.c_str(), nullptr, 10) <= 0xFFFF)
    return ResId::Number(static_cast<WORD>(std::wcstoul(text.c_str(), nullptr, 10)));
  std::u16string upper;
  for (wchar_t c : text) upper.push_back(static_cast<char16_t>(std::towupper(c)));
  return ResId::Text(upper);
}

}  // namespace kestrix
