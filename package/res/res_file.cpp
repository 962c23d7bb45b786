// The .res encoder and decoder, and whole-file reading and writing.

#include "package/res/res_file.h"

#include <cstdio>

namespace package {

ResId ResId::Number(uint16_t n) {
  ResId id;
  id.numeric = true;
  id.number = n;
  return id;
}

ResId ResId::Text(const std::u16string& s) {
  ResId id;
  id.numeric = false;
  id.text = s;
  return id;
}

ResId ResId::Text(const char* ascii) {
  std::u16string s;
  for (const char* p = ascii; *p; ++p) s.push_back(static_cast<unsigned char>(*p));
  return Text(s);
}

bool ResId::operator==(const ResId& other) const {
  if (numeric != other.numeric) return false;
  return numeric ? number == other.number : text == other.text;
}

namespace {

void PutWord(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v & 0xFF));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void PutDword(std::vector<uint8_t>& out, uint32_t v) {
  PutWord(out, static_cast<uint16_t>(v & 0xFFFF));
  PutWord(out, static_cast<uint16_t>(v >> 16));
}

void PutId(std::vector<uint8_t>& out, const ResId& id) {
  if (id.numeric) {
    PutWord(out, 0xFFFF);
    PutWord(out, id.number);
    return;
  }
  for (char16_t c : id.text) PutWord(out, static_cast<uint16_t>(c));
  PutWord(out, 0);
}

void PadToDword(std::vector<uint8_t>& out) {
  while (out.size() % 4 != 0) out.push_back(0);
}

void PutEntry(std::vector<uint8_t>& out, const ResEntry& e) {
  std::vector<uint8_t> header;
  PutDword(header, static_cast<uint32_t>(e.data.size()));
  PutDword(header, 0);  // header size, patched below
  PutId(header, e.type);
  PutId(header, e.name);
  PadToDword(header);
  PutDword(header, e.dataVersion);
  PutWord(header, e.memoryFlags);
  PutWord(header, e.language);
  PutDword(header, e.version);
  PutDword(header, e.characteristics);
  const uint32_t headerSize = static_cast<uint32_t>(header.size());
  for (int i = 0; i < 4; ++i) header[4 + i] = static_cast<uint8_t>(headerSize >> (8 * i));

  out.insert(out.end(), header.begin(), header.end());
  out.insert(out.end(), e.data.begin(), e.data.end());
  PadToDword(out);
}

struct Reader {
  const std::vector<uint8_t>& bytes;
  size_t limit;

  bool Word(size_t& at, uint16_t& v) const {
    if (at + 2 > limit) return false;
    v = static_cast<uint16_t>(bytes[at] | (bytes[at + 1] << 8));
    at += 2;
    return true;
  }
  bool Dword(size_t& at, uint32_t& v) const {
    uint16_t lo = 0, hi = 0;
    if (!Word(at, lo) || !Word(at, hi)) return false;
    v = static_cast<uint32_t>(lo) | (static_cast<uint32_t>(hi) << 16);
    return true;
  }
  bool Id(size_t& at, ResId& id) const {
    uint16_t first = 0;
    if (!Word(at, first)) return false;
    if (first == 0xFFFF) {
      uint16_t n = 0;
      if (!Word(at, n)) return false;
      id = ResId::Number(n);
      return true;
    }
    std::u16string text;
    for (uint16_t c = first; c != 0;) {
      text.push_back(static_cast<char16_t>(c));
      if (!Word(at, c)) return false;
    }
    id = ResId::Text(text);
    return true;
  }
};

std::string At(size_t offset) {
  char buf[48];
  snprintf(buf, sizeof buf, "at offset %zu", offset);
  return buf;
}

}  // namespace

std::vector<uint8_t> EncodeResFile(const std::vector<ResEntry>& entries) {
  std::vector<uint8_t> out;
  ResEntry empty;
  empty.type = ResId::Number(0);
  empty.name = ResId::Number(0);
  empty.memoryFlags = 0;
  PutEntry(out, empty);
  for (const ResEntry& e : entries) PutEntry(out, e);
  return out;
}

bool DecodeResFile(const std::vector<uint8_t>& bytes, std::vector<ResEntry>& entries,
                   std::string& error) {
  entries.clear();
  if (bytes.size() < kEmptyEntrySize) {
    error = "too short for a 32-bit resource file";
    return false;
  }
  static const uint8_t kEmptyStart[16] = {0, 0, 0, 0, 0x20, 0, 0, 0, 0xFF, 0xFF, 0, 0, 0xFF, 0xFF, 0, 0};
  for (size_t i = 0; i < sizeof kEmptyStart; ++i) {
    if (bytes[i] != kEmptyStart[i]) {
      error = "not a 32-bit resource file (no empty leading entry)";
      return false;
    }
  }

  size_t offset = 0;
  while (offset < bytes.size()) {
    const size_t start = offset;
    Reader whole{bytes, bytes.size()};
    uint32_t dataSize = 0, headerSize = 0;
    if (!whole.Dword(offset, dataSize) || !whole.Dword(offset, headerSize)) {
      // A few bytes of zero padding may close the file.
      bool allZero = true;
      for (size_t i = start; i < bytes.size(); ++i) allZero = allZero && bytes[i] == 0;
      if (allZero) break;
      error = "truncated entry header " + At(start);
      return false;
    }
    // The smallest header holds two empty names: 8 + 2 + 2, then 16.
    if (headerSize < 28 || headerSize > bytes.size() - start) {
      error = "bad header size " + At(start);
      return false;
    }
    // The data starts right after the header, and the format keeps it on a
    // DWORD boundary: any other size would shift the data off by its remainder.
    if (headerSize % 4 != 0) {
      error = "header size " + std::to_string(headerSize) + " is not a multiple of 4 " + At(start);
      return false;
    }
    if (dataSize > bytes.size() - start - headerSize) {
      error = "data runs past the end of the file " + At(start);
      return false;
    }

    Reader header{bytes, start + headerSize};
    ResEntry e;
    if (!header.Id(offset, e.type) || !header.Id(offset, e.name)) {
      error = "type or name runs past its header " + At(start);
      return false;
    }
    offset = (offset + 3) & ~static_cast<size_t>(3);
    if (!header.Dword(offset, e.dataVersion) || !header.Word(offset, e.memoryFlags) ||
        !header.Word(offset, e.language) || !header.Dword(offset, e.version) ||
        !header.Dword(offset, e.characteristics)) {
      error = "header too small for its fields " + At(start);
      return false;
    }
    const size_t dataStart = start + headerSize;
    e.data.assign(bytes.begin() + dataStart, bytes.begin() + dataStart + dataSize);

    const bool isEmptyMarker = e.type.numeric && e.type.number == 0 && e.name.numeric &&
                               e.name.number == 0 && e.data.empty();
    if (!isEmptyMarker) entries.push_back(e);
    offset = (dataStart + dataSize + 3) & ~static_cast<size_t>(3);
  }
  return true;
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error) {
  bytes.clear();
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) {
    error = "cannot open " + path;
    return false;
  }
  uint8_t buf[8192];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) bytes.insert(bytes.end(), buf, buf + n);
  const bool failed = ferror(f) != 0;
  fclose(f);
  if (failed) {
    error = "cannot read " + path;
    return false;
  }
  return true;
}

bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error) {
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) {
    error = "cannot create " + path;
    return false;
  }
  const bool written = bytes.empty() || fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  const bool closed = fclose(f) == 0;
  if (!written || !closed) {
    remove(path.c_str());
    error = "cannot write " + path;
    return false;
  }
  return true;
}

bool ReadResFile(const std::string& path, std::vector<ResEntry>& entries, std::string& error) {
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(path, bytes, error)) return false;
  if (!DecodeResFile(bytes, entries, error)) {
    error = path + ": " + error;
    return false;
  }
  return true;
}

bool WriteResFile(const std::string& path, const std::vector<ResEntry>& entries, std::string& error) {
  return WriteWholeFile(path, EncodeResFile(entries), error);
}

std::string DescribeResId(const ResId& id) {
  if (id.numeric) return "#" + std::to_string(id.number);
  std::string out;
  for (char16_t c : id.text) {
    const uint32_t u = c;
    if (u < 0x80) {
      out.push_back(static_cast<char>(u));
    } else if (u < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (u >> 6)));
      out.push_back(static_cast<char>(0x80 | (u & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xE0 | (u >> 12)));
      out.push_back(static_cast<char>(0x80 | ((u >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (u & 0x3F)));
    }
  }
  return out;
}

}  // namespace package
