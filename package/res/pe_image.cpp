// The program-image check: headers, sections and the resource directory.

#include "package/res/pe_image.h"

#include <cstdio>
#include <cstring>

namespace package {

namespace {

constexpr uint32_t kMaxSections = 96;
constexpr uint16_t kMagicPe32 = 0x10B;
constexpr uint16_t kMagicPe32Plus = 0x20B;
constexpr uint32_t kResourceDirectoryIndex = 2;
constexpr uint32_t kSectionHeaderSize = 40;
constexpr uint32_t kSubdirectoryBit = 0x80000000u;
constexpr int kResourceLevels = 3;  // type, name, language
// Most bytes of resource data read out of one program.
constexpr unsigned long kMaxResourceBytes = 256ul << 20;

struct Bytes {
  const std::vector<uint8_t>& data;

  bool Has(uint64_t at, uint64_t size) const { return at <= data.size() && size <= data.size() - at; }
  uint16_t Word(size_t at) const { return static_cast<uint16_t>(data[at] | (data[at + 1] << 8)); }
  uint32_t Dword(size_t at) const { return Word(at) | (static_cast<uint32_t>(Word(at + 2)) << 16); }
};

struct Section {
  std::string name;
  uint32_t virtualAddress = 0;
  uint32_t rawSize = 0;
  uint32_t rawOffset = 0;
};

std::string Text(const char* format, unsigned long a, unsigned long b = 0, unsigned long c = 0) {
  char line[160];
  snprintf(line, sizeof line, format, a, b, c);
  return line;
}

// The headers up to the section table; `sections` and the resource
// directory's RVA and size come out.
bool ReadHeaders(const Bytes& b, std::vector<Section>& sections, uint32_t& resourceRva, uint32_t& resourceSize,
                 std::string& problem) {
  if (!b.Has(0, 64) || b.data[0] != 'M' || b.data[1] != 'Z') {
    problem = "no DOS header (MZ)";
    return false;
  }
  const uint32_t pe = b.Dword(0x3C);
  if (!b.Has(pe, 24) || memcmp(&b.data[pe], "PE\0\0", 4) != 0) {
    problem = Text("no PE header at offset %lu", pe);
    return false;
  }
  const uint32_t count = b.Word(pe + 6);
  const uint32_t optionalSize = b.Word(pe + 20);
  const uint64_t optional = pe + 24ull;
  if (count == 0 || count > kMaxSections) {
    problem = Text("%lu sections (a program has 1 to %lu)", count, kMaxSections);
    return false;
  }
  if (!b.Has(optional, optionalSize) || optionalSize < 2) {
    problem = Text("the optional header (%lu bytes) runs past the end of the file", optionalSize);
    return false;
  }
  const uint16_t magic = b.Word(optional);
  if (magic != kMagicPe32 && magic != kMagicPe32Plus) {
    problem = Text("unknown optional header kind 0x%lx", magic);
    return false;
  }
  const uint32_t directories = magic == kMagicPe32 ? 96 : 112;
  if (optionalSize < directories) {
    problem = Text("the optional header is %lu bytes, too small for its kind", optionalSize);
    return false;
  }
  const uint32_t directoryCount = b.Dword(optional + directories - 4);
  if (directoryCount > 16 || directories + directoryCount * 8ull > optionalSize) {
    problem = Text("%lu data directories do not fit in the optional header", directoryCount);
    return false;
  }
  const uint64_t table = optional + optionalSize;
  if (!b.Has(table, uint64_t(count) * kSectionHeaderSize)) {
    problem = Text("the section table (%lu sections at offset %lu) runs past the end of the file", count,
                   static_cast<unsigned long>(table));
    return false;
  }
  const uint32_t headersSize = b.Dword(optional + 60);
  if (!b.Has(0, headersSize)) {
    problem = Text("the headers (%lu bytes) run past the end of the file", headersSize);
    return false;
  }
  // The loader maps the headers alone: a section table beyond them is not read.
  if (table + uint64_t(count) * kSectionHeaderSize > headersSize) {
    problem = Text("the section table (%lu sections at offset %lu) lies outside the headers", count,
                   static_cast<unsigned long>(table));
    return false;
  }
  resourceRva = resourceSize = 0;
  if (directoryCount > kResourceDirectoryIndex) {
    resourceRva = b.Dword(optional + directories + kResourceDirectoryIndex * 8);
    resourceSize = b.Dword(optional + directories + kResourceDirectoryIndex * 8 + 4);
  }
  sections.clear();
  for (uint32_t i = 0; i < count; ++i) {
    const size_t at = static_cast<size_t>(table) + i * kSectionHeaderSize;
    Section s;
    s.name.assign(reinterpret_cast<const char*>(&b.data[at]), strnlen(reinterpret_cast<const char*>(&b.data[at]), 8));
    s.virtualAddress = b.Dword(at + 12);
    s.rawSize = b.Dword(at + 16);
    s.rawOffset = b.Dword(at + 20);
    if (s.rawSize > 0 && !b.Has(s.rawOffset, s.rawSize)) {
      problem = "section " + s.name +
                Text(" runs past the end of the file (%lu bytes at offset %lu; the file has %lu)", s.rawSize,
                     s.rawOffset, static_cast<unsigned long>(b.data.size()));
      return false;
    }
    sections.push_back(s);
  }
  return true;
}

// The file range of `size` bytes at `rva`, when one section's data holds it.
const Section* SectionHolding(const std::vector<Section>& sections, uint32_t rva, uint32_t size) {
  for (const Section& s : sections) {
    if (rva >= s.virtualAddress && rva - s.virtualAddress <= s.rawSize &&
        size <= s.rawSize - (rva - s.virtualAddress))
      return &s;
  }
  return nullptr;
}

// Walks the resource directory held in `area` (offsets relative to its start).
class ResourceWalk {
 public:
  ResourceWalk(const Bytes& b, size_t start, uint32_t size, const std::vector<Section>& sections,
               std::vector<ResEntry>* found = nullptr)
      : b_(b), start_(start), size_(size), sections_(sections), found_(found) {}

  bool Directory(uint32_t offset, int level, std::string& problem) {
    if (offset > size_ || size_ - offset < 16) {
      problem = Text("the resource directory at %lu runs past its section", offset);
      return false;
    }
    const uint32_t count = uint32_t(b_.Word(start_ + offset + 12)) + b_.Word(start_ + offset + 14);
    if (count * 8ull > size_ - offset - 16) {
      problem = Text("the resource directory at %lu claims %lu entries, more than its section holds", offset, count);
      return false;
    }
    entries_ += count;
    if (entries_ > kMaxResourceEntries) {
      problem = Text("the resource directory has more than %lu entries", kMaxResourceEntries);
      return false;
    }
    for (uint32_t i = 0; i < count; ++i) {
      const size_t entry = start_ + offset + 16 + i * 8;
      if (!Entry(offset, b_.Dword(entry), b_.Dword(entry + 4), level, problem)) return false;
    }
    return true;
  }

 private:
  bool Entry(uint32_t parent, uint32_t name, uint32_t target, int level, std::string& problem) {
    if ((name & kSubdirectoryBit) && !Name(name & ~kSubdirectoryBit, problem)) return false;
    if (found_ && !Id(name, path_[level - 1], problem)) return false;
    const bool subdirectory = (target & kSubdirectoryBit) != 0;
    const uint32_t offset = target & ~kSubdirectoryBit;
    if (subdirectory != (level < kResourceLevels)) {
      problem = Text(subdirectory ? "a resource entry at level %lu points to a directory where its data belongs"
                                  : "a resource entry at level %lu points to data where a directory belongs",
                     static_cast<unsigned long>(level));
      return false;
    }
    // Directories lie after the one that names them, so a walk never comes back.
    if (offset <= parent) {
      problem = Text("a resource entry in the directory at %lu points back to %lu", parent, offset);
      return false;
    }
    return subdirectory ? Directory(offset, level + 1, problem) : Data(offset, problem);
  }

  bool Name(uint32_t offset, std::string& problem) {
    if (offset > size_ || size_ - offset < 2 || b_.Word(start_ + offset) * 2ull > size_ - offset - 2) {
      problem = Text("a resource name at %lu runs past its section", offset);
      return false;
    }
    return true;
  }

  // A level's id: a number, or the counted text that Name has bounded.
  bool Id(uint32_t name, ResId& id, std::string& problem) {
    if (name & kSubdirectoryBit) {
      const size_t at = start_ + (name & ~kSubdirectoryBit);
      std::u16string text;
      for (uint32_t i = 0, n = b_.Word(at); i < n; ++i) text.push_back(static_cast<char16_t>(b_.Word(at + 2 + 2 * i)));
      id = ResId::Text(text);
      return true;
    }
    if (name > 0xFFFF) {
      problem = Text("a resource id of %lu does not fit in 16 bits", name);
      return false;
    }
    id = ResId::Number(static_cast<uint16_t>(name));
    return true;
  }

  bool Data(uint32_t offset, std::string& problem) {
    if (offset > size_ || size_ - offset < 16) {
      problem = Text("a resource data entry at %lu runs past its section", offset);
      return false;
    }
    const uint32_t rva = b_.Dword(start_ + offset), size = b_.Dword(start_ + offset + 4);
    const Section* holder = SectionHolding(sections_, rva, size);
    if (!holder) {
      problem = Text("resource data of %lu bytes at RVA 0x%lx lies outside the program's sections", size, rva);
      return false;
    }
    if (!found_) return true;
    // Entries may share their data: a directory of many names for one large
    // block would otherwise ask for its size again and again.
    collected_ += size;
    if (collected_ > kMaxResourceBytes) {
      problem = Text("the resources add up to more than %lu bytes", kMaxResourceBytes);
      return false;
    }
    ResEntry e;
    e.type = path_[0];
    e.name = path_[1];
    e.language = path_[2].numeric ? path_[2].number : 0;
    e.memoryFlags = DefaultMemoryFlags(e.type);
    const size_t from = size_t(holder->rawOffset) + (rva - holder->virtualAddress);
    e.data.assign(b_.data.begin() + from, b_.data.begin() + from + size);
    found_->push_back(std::move(e));
    return true;
  }

  static uint16_t DefaultMemoryFlags(const ResId& type) {
    constexpr uint16_t kDiscardableTypes[] = {kRtCursor, kRtIcon, kRtMenu, kRtDialog, kRtString, 7, 8,
                                              kRtAccelerator, 12, kRtGroupIcon};
    if (!type.numeric) return kMemMoveable | kMemPure;
    for (uint16_t t : kDiscardableTypes) {
      if (t != type.number) continue;
      // Images, fonts and the font directory are not pure.
      const bool impure = t == kRtCursor || t == kRtIcon || t == 7 || t == 8;
      return static_cast<uint16_t>(kMemMoveable | kMemDiscardable | (impure ? 0 : kMemPure));
    }
    return kMemMoveable | kMemPure;
  }

  const Bytes& b_;
  size_t start_;
  uint32_t size_;
  const std::vector<Section>& sections_;
  std::vector<ResEntry>* found_;
  ResId path_[kResourceLevels];  // the type, name and language being walked
  uint32_t entries_ = 0;
  uint64_t collected_ = 0;  // bytes of resource data read out so far
};

}  // namespace

namespace {

// Checks the image and walks its resource directory, collecting into `found` when given.
bool WalkProgram(const std::vector<uint8_t>& image, std::vector<ResEntry>* found, std::string& problem) {
  const Bytes b{image};
  std::vector<Section> sections;
  uint32_t rva = 0, size = 0;
  if (!ReadHeaders(b, sections, rva, size, problem)) return false;
  if (rva == 0 && size == 0) return true;  // no resources yet
  const Section* holder = SectionHolding(sections, rva, size);
  if (!holder || size < 16) {
    problem = Text("the resource directory (%lu bytes at RVA 0x%lx) lies outside the program's sections", size, rva);
    return false;
  }
  // The walk may use the whole rest of the section: linkers size the directory loosely.
  const uint32_t within = rva - holder->virtualAddress;
  ResourceWalk walk(b, holder->rawOffset + within, holder->rawSize - within, sections, found);
  return walk.Directory(0, 1, problem);
}

}  // namespace

bool CheckProgramImage(const std::vector<uint8_t>& image, std::string& problem) {
  return WalkProgram(image, nullptr, problem);
}

bool ReadProgramResources(const std::vector<uint8_t>& image, std::vector<ResEntry>& entries, std::string& problem) {
  entries.clear();
  return WalkProgram(image, &entries, problem);
}

}  // namespace package
