// The .res encoder and decoder, and whole-file reading and writing.

#include "package/res/res_file.h"

#include <cstdio>

#include "package/res/res_bytes.h"

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

void PutEntry(std::vector<uint8_t>& out, const ResEntry& e) {
  res::Writer header;
  header.Dword(static_cast<uint32_t>(e.data.size()));
  header.Dword(0);  // header size, patched below
  header.NameOrOrdinal(e.type);
  header.NameOrOrdinal(e.name);
  header.Align4();
  header.Dword(e.dataVersion);
  header.Word(e.memoryFlags);
  header.Word(e.language);
  header.Dword(e.version);
  header.Dword(e.characteristics);
  header.PatchDword(4, static_cast<uint32_t>(header.bytes.size()));

  out.insert(out.end(), header.bytes.begin(), header.bytes.end());
  out.insert(out.end(), e.data.begin(), e.data.end());
  while (out.size() % 4 != 0) out.push_back(0);
}

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

  res::ByteReader r(bytes);
  while (r.pos < bytes.size()) {
    const size_t start = r.pos;
    uint32_t dataSize = 0, headerSize = 0;
    if (!r.Dword(dataSize) || !r.Dword(headerSize)) {
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

    r.limit = start + headerSize;
    ResEntry e;
    if (!r.NameOrOrdinal(e.type) || !r.NameOrOrdinal(e.name)) {
      error = "type or name runs past its header " + At(start);
      return false;
    }
    if (!r.Align() || !r.Dword(e.dataVersion) || !r.Word(e.memoryFlags) || !r.Word(e.language) ||
        !r.Dword(e.version) || !r.Dword(e.characteristics)) {
      error = "header too small for its fields " + At(start);
      return false;
    }
    const size_t dataStart = start + headerSize;
    e.data.assign(bytes.begin() + dataStart, bytes.begin() + dataStart + dataSize);

    const bool isEmptyMarker = e.type.numeric && e.type.number == 0 && e.name.numeric &&
                               e.name.number == 0 && e.data.empty();
    if (!isEmptyMarker) entries.push_back(e);
    r.pos = (dataStart + dataSize + 3) & ~static_cast<size_t>(3);
    r.limit = bytes.size();
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
