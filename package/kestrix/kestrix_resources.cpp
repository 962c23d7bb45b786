// Enumerating the module's own resources and reading their bytes safely.

#include "package/kestrix/kestrix_resources.h"

#include <cwchar>
#include <cwctype>

namespace kestrix {
namespace {

const wchar_t* StandardTypeName(unsigned n) {
  static const wchar_t* const kNames[] = {
      nullptr,         L"CURSOR",  L"BITMAP",     L"ICON",        L"MENU",     L"DIALOG",     L"STRING",
      L"FONTDIR",      L"FONT",    L"ACCELERATOR", L"RCDATA",     L"MESSAGETABLE", L"GROUP_CURSOR", nullptr,
      L"GROUP_ICON",   nullptr,    L"VERSION",    L"DLGINCLUDE",  nullptr,     L"PLUGPLAY",   L"VXD",
      L"ANICURSOR",    L"ANIICON", L"HTML",       L"MANIFEST"};
  return n < sizeof kNames / sizeof kNames[0] ? kNames[n] : nullptr;
}

struct Listing {
  std::vector<Resource> resources;
};

BOOL CALLBACK OnLanguage(HMODULE module, LPCWSTR type, LPCWSTR name, WORD language, LONG_PTR param) {
  Resource r;
  r.type = ResName::From(type);
  r.name = ResName::From(name);
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

ResName ResName::From(LPCWSTR id) {
  ResName n;
  if (IS_INTRESOURCE(id)) {
    n.number = static_cast<WORD>(reinterpret_cast<uintptr_t>(id));
  } else {
    n.numeric = false;
    n.text = id;
  }
  return n;
}

bool ResName::operator==(const ResName& other) const {
  if (numeric != other.numeric) return false;
  return numeric ? number == other.number : _wcsicmp(text.c_str(), other.text.c_str()) == 0;
}

std::wstring ResName::Describe(bool isType) const {
  if (!numeric) return text;
  const wchar_t* name = isType ? StandardTypeName(number) : nullptr;
  wchar_t out[48];
  if (name)
    swprintf(out, sizeof out / sizeof out[0], L"#%u %ls", number, name);
  else
    swprintf(out, sizeof out / sizeof out[0], L"#%u", number);
  return out;
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

const Resource* FindFirst(const std::vector<Resource>& all, WORD type) {
  for (const Resource& r : all) {
    if (r.type.Is(type)) return &r;
  }
  return nullptr;
}

const Resource* Find(const std::vector<Resource>& all, WORD type, const ResName& name) {
  for (const Resource& r : all) {
    if (r.type.Is(type) && r.name == name) return &r;
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

uint8_t ByteReader::Byte() {
  if (remaining() < 1) return Fail(), 0;
  return data_[offset_++];
}

uint16_t ByteReader::Word() {
  if (remaining() < 2) return Fail(), 0;
  const uint16_t v = static_cast<uint16_t>(data_[offset_] | data_[offset_ + 1] << 8);
  offset_ += 2;
  return v;
}

uint32_t ByteReader::Dword() {
  const uint32_t low = Word();
  return low | static_cast<uint32_t>(Word()) << 16;
}

bool ByteReader::Skip(size_t count) {
  if (remaining() < count) return Fail(), false;
  offset_ += count;
  return true;
}

void ByteReader::AlignTo4() {
  const size_t pad = (4 - offset_ % 4) % 4;
  // The last item of a template may end without its padding.
  offset_ += pad < remaining() ? pad : remaining();
}

std::wstring ByteReader::String() {
  std::wstring s;
  for (;;) {
    const uint16_t c = Word();
    if (!ok_ || c == 0) return s;
    s.push_back(static_cast<wchar_t>(c));
  }
}

ResName ByteReader::NameOrOrdinal() {
  ResName n;
  const uint16_t first = Word();
  if (first == 0xFFFF) {
    n.number = Word();
    return n;
  }
  n.numeric = false;
  if (first == 0) return n;
  n.text.push_back(static_cast<wchar_t>(first));
  n.text += String();
  return n;
}

}  // namespace kestrix
