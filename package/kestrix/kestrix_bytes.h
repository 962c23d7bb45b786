#pragma once
// Plain reading of resource bytes, without the system's headers, so that the
// template walkers built on it also build and fuzz on the host: resource
// names (a number or a text) and a bounded little-endian reader every walker
// parses with, so a malformed resource is refused, never over-read.

#include <cstddef>
#include <cstdint>
#include <string>

namespace kestrix {

// A resource type or name, or a class or menu named in a template: a number, or a text.
struct ResName {
  bool numeric = true;
  uint16_t number = 0;
  std::wstring text;

  bool Is(uint16_t n) const { return numeric && number == n; }
  // Ordinal 0 or the empty text: "none" in a dialog's menu and class fields.
  bool Empty() const { return numeric ? number == 0 : text.empty(); }
  // Names compare as the system compares them: texts without regard to case.
  bool operator==(const ResName& other) const;
  bool IsText(const wchar_t* other) const;
  // "#4 MENU" for a standard type, "#100" for a number, the text otherwise.
  std::wstring Describe(bool isType) const;
};

// The short name of a standard resource type ("MENU"), nullptr for others.
const wchar_t* StandardTypeName(unsigned type);

// Reads little-endian fields from a resource's bytes; every read is checked
// against the end, and a failed read leaves ok() false for good.
class ByteReader {
 public:
  ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool ok() const { return ok_; }
  size_t offset() const { return offset_; }
  size_t remaining() const { return ok_ ? size_ - offset_ : 0; }
  const uint8_t* here() const { return data_ + offset_; }
  uint8_t Byte();
  uint16_t Word();
  uint32_t Dword();
  bool Skip(size_t count);
  // Relative to the start of the resource; the last item of a template may
  // end without its padding.
  void AlignTo4();
  // Word alignment, where the system reads a text at the next even offset.
  void AlignTo2();
  // A zero-terminated UTF-16 string.
  std::wstring String();
  // A string or an ordinal (0xFFFF then a number); an empty string for 0x0000.
  ResName NameOrOrdinal();
  void Fail() { ok_ = false; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t offset_ = 0;
  bool ok_ = true;
};

}  // namespace kestrix
