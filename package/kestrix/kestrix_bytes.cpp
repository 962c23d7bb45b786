// Resource names and the bounded byte reader.

#include "package/kestrix/kestrix_bytes.h"

#include <cwchar>
#include <cwctype>

namespace kestrix {

const wchar_t* StandardTypeName(unsigned n) {
  static const wchar_t* const kNames[] = {
      nullptr,         L"CURSOR",  L"BITMAP",     L"ICON",        L"MENU",     L"DIALOG",     L"STRING",
      L"FONTDIR",      L"FONT",    L"ACCELERATOR", L"RCDATA",     L"MESSAGETABLE", L"GROUP_CURSOR", nullptr,
      L"GROUP_ICON",   nullptr,    L"VERSION",    L"DLGINCLUDE",  nullptr,     L"PLUGPLAY",   L"VXD",
      L"ANICURSOR",    L"ANIICON", L"HTML",       L"MANIFEST"};
  return n < sizeof kNames / sizeof kNames[0] ? kNames[n] : nullptr;
}

bool ResName::IsText(const wchar_t* other) const {
  if (numeric) return false;
  size_t i = 0;
  for (; i < text.size() && other[i]; ++i) {
    if (std::towupper(static_cast<wint_t>(text[i])) != std::towupper(static_cast<wint_t>(other[i]))) return false;
  }
  return i == text.size() && other[i] == L'\0';
}

bool ResName::operator==(const ResName& other) const {
  if (numeric != other.numeric) return false;
  return numeric ? number == other.number : text.size() == other.text.size() && IsText(other.text.c_str());
}

std::wstring ResName::Describe(bool isType) const {
  if (!numeric) return text;
  const wchar_t* name = isType ? StandardTypeName(number) : nullptr;
  wchar_t out[48];
  if (name)
    swprintf(out, sizeof out / sizeof out[0], L"#%u %ls", static_cast<unsigned>(number), name);
  else
    swprintf(out, sizeof out / sizeof out[0], L"#%u", static_cast<unsigned>(number));
  return out;
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
  offset_ += pad < remaining() ? pad : remaining();
}

void ByteReader::AlignTo2() {
  if (offset_ % 2) Skip(1);
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
