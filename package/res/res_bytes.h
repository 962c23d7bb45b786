#pragma once
// The bytes under every resource format: a bounded little-endian reader that
// the .res decoder, the tree reader and the template application all read
// with, and the writer the layout and the .res encoder write with. A read
// never passes the reader's limit; the first fault is kept with its offset,
// and every later read fails.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "package/res/res_file.h"

namespace package {
namespace res {

// Bytes to read: a resource as the system hands it over, or a whole buffer.
struct ByteSpan {
  const uint8_t* data = nullptr;
  size_t size = 0;
  ByteSpan(const uint8_t* d, size_t n) : data(d), size(d ? n : 0) {}
  ByteSpan(const std::vector<uint8_t>& v) : data(v.data()), size(v.size()) {}  // NOLINT: a buffer is a span
};

class ByteReader {
 public:
  explicit ByteReader(ByteSpan span) : limit(span.size), data_(span.data), size_(span.size) {}

  size_t pos = 0;
  // Reads stop here; a caller narrows it to the end of a nested record.
  size_t limit;
  std::string error;

  size_t size() const { return size_; }
  size_t Remaining() const { return pos < limit ? limit - pos : 0; }
  bool Fail(const std::string& what) {
    if (error.empty()) error = what + " at offset " + std::to_string(pos);
    return false;
  }
  bool Byte(uint8_t& v) {
    if (!error.empty() || Remaining() < 1) return Fail("data ends early");
    v = data_[pos++];
    return true;
  }
  bool Word(uint16_t& v) {
    if (!error.empty() || Remaining() < 2) return Fail("data ends early");
    v = static_cast<uint16_t>(data_[pos] | (data_[pos + 1] << 8));
    pos += 2;
    return true;
  }
  bool Dword(uint32_t& v) {
    uint16_t lo = 0, hi = 0;
    if (!Word(lo) || !Word(hi)) return false;
    v = static_cast<uint32_t>(lo) | (static_cast<uint32_t>(hi) << 16);
    return true;
  }
  bool Short(int16_t& v) {
    uint16_t w = 0;
    if (!Word(w)) return false;
    v = static_cast<int16_t>(w);
    return true;
  }
  bool Skip(size_t count) {
    if (!error.empty() || count > Remaining()) return Fail("data ends early");
    pos += count;
    return true;
  }
  bool Bytes(size_t count, std::vector<uint8_t>& out) {
    if (!error.empty() || count > Remaining()) return Fail("data ends early");
    out.assign(data_ + pos, data_ + pos + count);
    pos += count;
    return true;
  }
  // A NUL-terminated UTF-16 string.
  bool Text(std::u16string& out) {
    out.clear();
    for (uint16_t c = 0;;) {
      if (!Word(c)) return false;
      if (c == 0) return true;
      out.push_back(static_cast<char16_t>(c));
    }
  }
  // 0xFFFF and a number, or a string (an empty one when the first word is 0).
  bool NameOrOrdinal(ResId& id) {
    uint16_t first = 0;
    if (!Word(first)) return false;
    if (first == 0xFFFF) {
      uint16_t n = 0;
      if (!Word(n)) return false;
      id = ResId::Number(n);
      return true;
    }
    std::u16string text;
    for (uint16_t c = first; c != 0;) {
      text.push_back(static_cast<char16_t>(c));
      if (!Word(c)) return false;
    }
    id = ResId::Text(text);
    return true;
  }
  // Where the next multiple of `to` starts (relative to the data's start).
  size_t Aligned(size_t to = 4) const { return (pos + to - 1) / to * to; }
  bool Align(size_t to = 4) {
    if (Aligned(to) > limit) return Fail("data ends early");
    pos = Aligned(to);
    return true;
  }
  // Where a layout pads with zeros, and reading must find them to write the same bytes again.
  bool AlignOverZeros(size_t to = 4) {
    const size_t from = pos;
    if (!Align(to)) return false;
    for (size_t i = from; i < pos; ++i) {
      if (data_[i] != 0) return pos = i, Fail("padding is not 0");
    }
    return true;
  }
  // As the system steps to the next field: padding the data lacks at its end
  // is not asked for.
  void AlignWithin(size_t to = 4) { pos = Aligned(to) < limit ? Aligned(to) : (pos < limit ? limit : pos); }
  bool AtEnd() { return pos == size_ || Fail("bytes left over"); }
  const uint8_t* Here() const { return data_ + pos; }

 private:
  const uint8_t* data_;
  size_t size_;
};

class Writer {
 public:
  std::vector<uint8_t> bytes;

  void Byte(uint8_t v) { bytes.push_back(v); }
  void Word(uint16_t v) {
    bytes.push_back(static_cast<uint8_t>(v & 0xFF));
    bytes.push_back(static_cast<uint8_t>(v >> 8));
  }
  void Dword(uint32_t v) {
    Word(static_cast<uint16_t>(v & 0xFFFF));
    Word(static_cast<uint16_t>(v >> 16));
  }
  void Text(const std::u16string& s) {
    for (char16_t c : s) Word(static_cast<uint16_t>(c));
    Word(0);
  }
  // A number or a name, as .res headers and dialog templates hold them.
  void NameOrOrdinal(const ResId& id) {
    if (id.numeric) {
      Word(0xFFFF);
      Word(id.number);
    } else {
      Text(id.text);
    }
  }
  void Append(const std::vector<uint8_t>& more) { bytes.insert(bytes.end(), more.begin(), more.end()); }
  void Align4() {
    while (bytes.size() % 4 != 0) bytes.push_back(0);
  }
  void PatchWord(size_t at, uint16_t v) {
    bytes[at] = static_cast<uint8_t>(v & 0xFF);
    bytes[at + 1] = static_cast<uint8_t>(v >> 8);
  }
  void PatchDword(size_t at, uint32_t v) {
    PatchWord(at, static_cast<uint16_t>(v & 0xFFFF));
    PatchWord(at + 2, static_cast<uint16_t>(v >> 16));
  }
};

}  // namespace res
}  // namespace package
