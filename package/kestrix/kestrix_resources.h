#pragma once
// The resources bound into Kestrix's own module: one record per type, name
// and language, in the order the system enumerates them, with the list line
// the window shows, and a bounded reader over a resource's bytes that every
// previewer parses with, so a malformed resource is refused, never over-read.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace kestrix {

// A resource type or name: a number, or a text.
struct ResName {
  bool numeric = true;
  WORD number = 0;
  std::wstring text;

  static ResName From(LPCWSTR id);
  LPCWSTR Pointer() const { return numeric ? MAKEINTRESOURCEW(number) : text.c_str(); }
  bool Is(WORD n) const { return numeric && number == n; }
  bool operator==(const ResName& other) const;
  // "#4 MENU" for a standard type, "#100" for a number, the text otherwise.
  std::wstring Describe(bool isType) const;
};

struct Resource {
  ResName type;
  ResName name;
  WORD language = 0;
  const BYTE* data = nullptr;
  DWORD size = 0;

  std::wstring Line() const;   // "type <T>, name <N>, language <LLLL>, <S> bytes"
  std::wstring Label() const;  // "MENU #1": the type's short name and the name
};

std::vector<Resource> ListResources(HMODULE module);
// The first resource of a numbered type, or of that type and name (nullptr if none).
const Resource* FindFirst(const std::vector<Resource>& all, WORD type);
const Resource* Find(const std::vector<Resource>& all, WORD type, const ResName& name);

// Parses a name typed on the command line: digits are a number, anything
// else a name, upper-cased as the compiler stores names.
ResName NameFromText(const std::wstring& text);

// Reads little-endian fields from a resource's bytes; every read is checked
// against the end, and a failed read leaves ok() false for good.
class ByteReader {
 public:
  ByteReader(const BYTE* data, size_t size) : data_(data), size_(size) {}
  bool ok() const { return ok_; }
  size_t offset() const { return offset_; }
  size_t remaining() const { return ok_ ? size_ - offset_ : 0; }
  const BYTE* here() const { return data_ + offset_; }
  uint8_t Byte();
  uint16_t Word();
  uint32_t Dword();
  bool Skip(size_t count);
  void AlignTo4();  // relative to the start of the resource
  // A zero-terminated UTF-16 string.
  std::wstring String();
  // A string or an ordinal (0xFFFF then a number); an empty string for 0x0000.
  ResName NameOrOrdinal();
  void Fail() { ok_ = false; }

 private:
  const BYTE* data_;
  size_t size_;
  size_t offset_ = 0;
  bool ok_ = true;
};

}  // namespace kestrix
