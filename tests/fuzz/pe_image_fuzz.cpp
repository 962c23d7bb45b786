// Fuzzes the binder's program-image check and the reader of a program's
// resources (what brc32 -s writes a script from). The input patches a small whole
// program built here (headers, one resource section, a three-level resource
// directory with a named entry and its data): its first byte cuts the image
// short, then each three bytes set one byte (a 16-bit offset, a value).
// Whatever the bytes, the check and the reader must end within the image
// and, when they refuse, say why; the unpatched program must pass, and its
// one resource must read back as it was put there.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "package/res/pe_image.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

void Put(std::vector<uint8_t>& b, size_t at, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

std::vector<uint8_t> WholeProgram() {
  std::vector<uint8_t> b(0x400, 0);
  b[0] = 'M', b[1] = 'Z';
  Put(b, 0x3C, 0x40, 4);
  Put(b, 0x40, 0x00004550, 4);  // "PE\0\0"
  Put(b, 0x44, 0x8664, 2);
  Put(b, 0x46, 1, 2);     // one section
  Put(b, 0x54, 0xF0, 2);  // the optional header's size
  const size_t optional = 0x58;
  Put(b, optional, 0x20B, 2);
  Put(b, optional + 60, 0x200, 4);           // SizeOfHeaders
  Put(b, optional + 108, 16, 4);             // data directories
  Put(b, optional + 112 + 16, 0x1000, 4);    // the resource directory's RVA
  Put(b, optional + 112 + 20, 0x100, 4);     // and size
  const size_t section = optional + 0xF0;
  std::copy_n(".rsrc", 5, b.begin() + section);
  Put(b, section + 8, 0x200, 4);
  Put(b, section + 12, 0x1000, 4);
  Put(b, section + 16, 0x200, 4);
  Put(b, section + 20, 0x200, 4);
  const size_t r = 0x200;
  Put(b, r + 14, 1, 2);                             // root: one type
  Put(b, r + 16, 10, 4), Put(b, r + 20, 0x80000018, 4);
  Put(b, r + 0x18 + 12, 1, 2);                      // the type: one named entry
  Put(b, r + 0x28, 0x80000058, 4), Put(b, r + 0x2C, 0x80000030, 4);
  Put(b, r + 0x30 + 14, 1, 2);                      // the name: one language
  Put(b, r + 0x40, 0x409, 4), Put(b, r + 0x44, 0x48, 4);
  Put(b, r + 0x48, 0x1060, 4), Put(b, r + 0x4C, 4, 4);  // the data entry
  Put(b, r + 0x58, 1, 2), Put(b, r + 0x5A, 'A', 2);     // the name "A"
  std::copy_n("abcd", 4, b.begin() + r + 0x60);
  return b;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::vector<uint8_t> whole = WholeProgram();
  std::string problem;
  std::vector<package::ResEntry> entries;
  if (size == 0) {
    FUZZ_CHECK(package::CheckProgramImage(whole, problem));
    FUZZ_CHECK(package::ReadProgramResources(whole, entries, problem) && entries.size() == 1);
    const package::ResEntry& e = entries[0];
    FUZZ_CHECK(e.type == package::ResId::Number(10) && e.name == package::ResId::Text("A") && e.language == 0x409);
    FUZZ_CHECK(std::string(e.data.begin(), e.data.end()) == "abcd");
    return 0;
  }
  std::vector<uint8_t> image(whole.begin(), whole.begin() + (data[0] == 255 ? whole.size() : data[0] * whole.size() / 255));
  for (size_t i = 1; i + 3 <= size && !image.empty(); i += 3) {
    image[(data[i] | (data[i + 1] << 8)) % image.size()] = data[i + 2];
  }
  // A copy of exactly its size, so that a read past the end is caught.
  const std::vector<uint8_t> exact(image);
  if (!package::CheckProgramImage(exact, problem)) FUZZ_CHECK(!problem.empty());
  problem.clear();
  if (!package::ReadProgramResources(exact, entries, problem)) FUZZ_CHECK(!problem.empty());
  for (const package::ResEntry& e : entries) FUZZ_CHECK(e.data.size() <= exact.size());
  return 0;
}
