// Text renderings of string blocks, version records, accelerator tables and
// raw data.

#include "package/kestrix/kestrix_text.h"

#include <cwchar>
#include <vector>

#include "package/kestrix/kestrix_language.h"
#include "package/kestrix/kestrix_menu.h"
#include "package/res/res_reader.h"

namespace kestrix {
namespace {

constexpr DWORD kHexLimit = 64 * 1024;  // bytes shown; the rest is counted
constexpr int kMaxVersionDepth = 8;
static_assert(package::res::kFixedInfoSignature == VS_FFI_SIGNATURE, "the fixed information's signature is the system's");

std::wstring Visible(const std::wstring& s) {
  std::wstring out;
  for (wchar_t c : s) {
    if (c == L'\t') out += L"\\t";
    else if (c == L'\n') out += L"\\n";
    else if (c == L'\r') out += L"\\r";
    else out.push_back(c);
  }
  return out;
}

// The strings of a block as (id, text) pairs; false when malformed.
bool ReadBlock(const Resource& block, std::vector<std::pair<WORD, std::wstring>>* strings) {
  if (!block.name.numeric || block.name.number == 0) return false;
  package::res::StringBlock read;
  std::string error;
  if (!package::res::ReadStringBlock(block.Bytes(), read, error, package::res::ReadMode::kLenient)) return false;
  for (unsigned i = 0; i < 16; ++i) {
    if (!read.text[i].empty())
      strings->emplace_back(static_cast<WORD>((block.name.number - 1) * 16 + i), Wide(read.text[i]));
  }
  return true;
}

std::wstring Version(uint32_t high, uint32_t low) {
  wchar_t out[64];
  swprintf(out, 64, L"%u.%u.%u.%u", high >> 16, high & 0xFFFF, low >> 16, low & 0xFFFF);
  return out;
}

// The root's fixed information: file and product versions, flags, OS and type.
bool FixedLines(const package::res::VersionNode& root, std::wstring* text) {
  package::res::ByteReader fixed(root.value);
  uint32_t skipped = 0, fileHigh = 0, fileLow = 0, productHigh = 0, productLow = 0, flags = 0, os = 0, fileType = 0;
  // Signature and structure version first; the flags mask before the flags.
  if (!fixed.Dword(skipped) || !fixed.Dword(skipped) || !fixed.Dword(fileHigh) || !fixed.Dword(fileLow) ||
      !fixed.Dword(productHigh) || !fixed.Dword(productLow) || !fixed.Dword(skipped) || !fixed.Dword(flags) ||
      !fixed.Dword(os) || !fixed.Dword(fileType))
    return false;
  wchar_t line[160];
  swprintf(line, 160, L"FILEVERSION %ls\r\nPRODUCTVERSION %ls\r\nFILEFLAGS 0x%X\r\nFILEOS 0x%X\r\nFILETYPE 0x%X\r\n",
           Version(fileHigh, fileLow).c_str(), Version(productHigh, productLow).c_str(), flags, os, fileType);
  *text += line;
  return true;
}

// One node of a version record and its children, as lines prefixed by path.
bool VersionLines(const package::res::VersionNode& n, const std::wstring& path, int depth, std::wstring* text) {
  if (depth > kMaxVersionDepth) return false;
  const std::wstring name = path.empty() ? Wide(n.key) : path + L"\\" + Wide(n.key);
  if (depth == 0) {
    if (!FixedLines(n, text)) return false;
  } else if (n.type == 1 && n.valueLength) {
    std::wstring value;
    for (size_t i = 0; i + 1 < n.value.size(); i += 2) value.push_back(static_cast<wchar_t>(n.value[i] | n.value[i + 1] << 8));
    while (!value.empty() && value.back() == L'\0') value.pop_back();
    *text += name + L" = " + Visible(value) + L"\r\n";
  } else if (n.valueLength) {
    *text += name + L" =";
    for (size_t i = 0; i + 1 < n.value.size(); i += 2) {
      wchar_t word[8];
      swprintf(word, 8, L" %04X", n.value[i] | n.value[i + 1] << 8);
      *text += word;
    }
    *text += L"\r\n";
  }
  for (const package::res::VersionNode& child : n.children) {
    if (!VersionLines(child, depth == 0 ? L"" : name, depth + 1, text)) return false;
  }
  return true;
}

}  // namespace

bool StringBlockText(const Resource& block, std::wstring* text, std::wstring* reason) {
  std::vector<std::pair<WORD, std::wstring>> strings;
  if (!ReadBlock(block, &strings)) return *reason = L"the string block is malformed", false;
  text->clear();
  for (const auto& s : strings) {
    wchar_t id[16];
    swprintf(id, 16, L"%u: ", s.first);
    *text += id + Visible(s.second) + L"\r\n";
  }
  return true;
}

bool FindString(const std::vector<Resource>& all, WORD id, std::wstring* text) {
  // The blocks in the order the system's loader would choose between them,
  // each of the others in turn when the chosen one lacks the string.
  std::vector<const Resource*> blocks;
  std::vector<uint16_t> languages;
  for (const Resource& r : all) {
    if (!r.IsType(RT_STRING) || !IsNumber(r.name, static_cast<WORD>(id / 16 + 1))) continue;
    blocks.push_back(&r);
    languages.push_back(r.language);
  }
  for (size_t i : LanguagePreference(languages, GetUserDefaultUILanguage())) {
    std::vector<std::pair<WORD, std::wstring>> strings;
    if (!ReadBlock(*blocks[i], &strings)) continue;
    for (const auto& s : strings) {
      if (s.first == id) return *text = s.second, true;
    }
  }
  return false;
}

bool VersionText(const Resource& version, std::wstring* text, std::wstring* reason) {
  text->clear();
  package::res::VersionNode root;
  std::string error;
  if (!version.data ||
      !package::res::ReadVersionInfo(version.Bytes(), root, error, package::res::ReadMode::kLenient) ||
      !VersionLines(root, L"", 0, text)) {
    *reason = L"the version record is malformed";
    return false;
  }
  return true;
}

bool AcceleratorText(const Resource& table, std::wstring* text, std::wstring* reason) {
  std::vector<ACCEL> entries;
  if (!ReadAccelerators(table, &entries, reason)) return false;
  text->clear();
  for (const ACCEL& entry : entries) {
    wchar_t command[32];
    swprintf(command, 32, L": command %u\r\n", entry.cmd);
    *text += DescribeKey(entry) + command;
  }
  return true;
}

std::wstring HexText(const BYTE* data, DWORD size) {
  std::wstring text;
  const DWORD shown = size < kHexLimit ? size : kHexLimit;
  for (DWORD line = 0; line < shown; line += 16) {
    wchar_t cell[16];
    swprintf(cell, 16, L"%08X ", line);
    text += cell;
    std::wstring printable;
    for (DWORD i = line; i < line + 16; ++i) {
      if (i < shown) {
        swprintf(cell, 16, L" %02X", data[i]);
        text += cell;
        printable.push_back(data[i] >= 0x20 && data[i] < 0x7F ? static_cast<wchar_t>(data[i]) : L'.');
      } else {
        text += L"   ";
      }
    }
    text += L"  " + printable + L"\r\n";
  }
  if (shown < size) {
    wchar_t more[64];
    swprintf(more, 64, L"... %lu more bytes\r\n", static_cast<unsigned long>(size - shown));
    text += more;
  }
  return text;
}

bool ResourceText(const Resource& resource, std::wstring* text, std::wstring* reason) {
  if (resource.IsType(RT_STRING)) return StringBlockText(resource, text, reason);
  if (resource.IsType(RT_VERSION)) return VersionText(resource, text, reason);
  if (resource.IsType(RT_ACCELERATOR)) return AcceleratorText(resource, text, reason);
  *text = HexText(resource.data, resource.data ? resource.size : 0);
  return true;
}

}  // namespace kestrix
