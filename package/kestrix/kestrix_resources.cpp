// Enumerating the module's own resources and reading their bytes safely.

#include "package/kestrix/kestrix_resources.h"

#include <cwchar>
#include <cwctype>

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

ResName NameFrom(LPCWSTR id) {
  ResName n;
  if (IS_INTRESOURCE(id)) {
    n.number = static_cast<WORD>(reinterpret_cast<uintptr_t>(id));
  } else {
    n.numeric = false;
    n.text = id;
  }
  return n;
}

LPCWSTR NamePointer(const ResName& name) { return name.numeric ? MAKEINTRESOURCEW(name.number) : name.text.c_str(); }

bool Resource::IsType(const void* standard) const {
  return type.Is(static_cast<WORD>(reinterpret_cast<uintptr_t>(standard)));
}

std::wstring Resource::Line() const {
  wchar_t tail[64];
  swprintf(tail, sizeof tail / sizeof tail[0], L", language %04X, %lu bytes", language,
           static_cast<unsigned long>(size));
  return L"type " + type.Describe(true) + L", name " + name.Describe(false) + tail;
}

std::wstring Resource::Label() const {
  const wchar_t* standard = type.numeric ? StandardTypeName(type.number) : nullptr;
  return (standard ? std::wstring(standard) : type.Describe(true)) + L" " + name.Describe(false);
}

std::vector<Resource> ListResources(HMODULE module) {
  Listing listing;
  EnumResourceTypesW(module, OnType, reinterpret_cast<LONG_PTR>(&listing));
  return listing.resources;
}

const Resource* FindFirst(const std::vector<Resource>& all, const void* type) {
  for (const Resource& r : all) {
    if (r.IsType(type)) return &r;
  }
  return nullptr;
}

const Resource* Find(const std::vector<Resource>& all, const void* type, const ResName& name) {
  for (const Resource& r : all) {
    if (r.IsType(type) && r.name == name) return &r;
  }
  return nullptr;
}

ResName NameFromText(const std::wstring& text) {
  ResName n;
  bool digits = !text.empty() && text.size() <= 5;
  for (wchar_t c : text) digits = digits && c >= L'0' && c <= L'9';
  if (digits && std::wcstoul(text.c_str(), nullptr, 10) <= 0xFFFF) {
    n.number = static_cast<WORD>(std::wcstoul(text.c_str(), nullptr, 10));
    return n;
  }
  n.numeric = false;
  for (wchar_t c : text) n.text.push_back(static_cast<wchar_t>(std::towupper(c)));
  return n;
}

}  // namespace kestrix
