// RCDATA and user-defined resources, resources read from files, icons,
// cursors, bitmaps, toolbars and fonts.

#include "package/rc/rc_data.h"

#include "package/res/res_image_files.h"

namespace package {
namespace rc {

void DataParser::UserData(ResEntry& e, const Token* at, const ResId& type) {
  e.type = type;
  e.memoryFlags = kMemDefault;
  MemoryOptions(e.memoryFlags);
  if (!CommonOptions(e)) return;
  if (IsBegin(Peek())) {
    if (!RawData(e.data)) return;
  } else if (!FileData(e.data, "the resource")) {
    return;
  }
  Add(e, at);
}

bool DataParser::RawData(std::vector<uint8_t>& data) {
  Writer w;
  if (!Begin("for the data")) return false;
  while (More()) {
    const Token* t = Peek();
    std::string error;
    if (t->kind == TokenKind::Quoted) {
      if (!HexBytes(*t, w.bytes, error)) return FailAt(t, error);
      ++s_.pos;
    } else if (t->kind == TokenKind::String) {
      if (t->wide) {
        for (char16_t c : StringText(*t)) w.Word(static_cast<uint16_t>(c));
      } else {
        for (char c : StringBytes(*t)) w.Byte(static_cast<uint8_t>(c));
      }
      ++s_.pos;
    } else {
      int64_t v = 0;
      bool isLong = false;
      if (!DataNumber(v, isLong)) return false;
      if (isLong) {
        w.Dword(static_cast<uint32_t>(v));
      } else {
        if (v < -32768 || v > 65535) return FailAt(t, "value does not fit in 16 bits (add an L suffix for 32)");
        w.Word(static_cast<uint16_t>(v));
      }
    }
    AcceptPunct(",");
  }
  data = w.bytes;
  return !s_.failed;
}

void DataParser::FileResource(ResEntry& e, const Token* at, const ResId& type) {
  e.type = type;
  e.memoryFlags = kMemDefault;
  MemoryOptions(e.memoryFlags);
  if (!CommonOptions(e) || !FileData(e.data, "the resource")) return;
  Add(e, at);
}

void DataParser::Bitmap(ResEntry& e, const Token* at) {
  e.type = ResId::Number(kRtBitmap);
  e.memoryFlags = kMemDefault;
  MemoryOptions(e.memoryFlags);
  const Token* file = Peek();
  if (!CommonOptions(e) || !FileData(e.data, "the bitmap")) return;
  // The resource holds the bitmap without its file header.
  std::vector<uint8_t> dib;
  if (!ReadBitmapFile(e.data, dib)) {
    FailAt(file, "not a bitmap file");
    return;
  }
  e.data = std::move(dib);
  Add(e, at);
}

void DataParser::Icon(ResEntry& e, const Token* at, bool cursor) {
  e.type = ResId::Number(cursor ? kRtGroupCursor : kRtGroupIcon);
  e.memoryFlags = kMemDefaultDiscardable;
  MemoryOptions(e.memoryFlags);
  const Token* file = Peek();
  std::vector<uint8_t> bytes;
  if (!CommonOptions(e) || !FileData(bytes, cursor ? "the cursor" : "the icon")) return;
  std::vector<FileImage> images;
  std::string error;
  if (!ReadImageFile(bytes, cursor, images, error)) {
    FailAt(file, error);
    return;
  }
  // Each image becomes an icon (or cursor) resource, numbered on from the
  // last; the group lists them.
  ImageGroup group;
  group.cursor = cursor;
  for (FileImage& image : images) {
    ResEntry r;
    r.type = ResId::Number(cursor ? kRtCursor : kRtIcon);
    r.name = ResId::Number(cursor ? nextCursorId_++ : nextIconId_++);
    r.language = e.language;
    r.memoryFlags = kMemMoveable | kMemDiscardable;
    r.data = std::move(image.data);
    if (!Add(r, at)) return;
    image.line.id = r.name.number;
    group.images.push_back(image.line);
  }
  e.data = LayoutImageGroup(group);
  Add(e, at);
}

// A toolbar: button width and height, then one word per button, 0 for a
// separator, after a version word of 1, as the class library reads it.
void DataParser::Toolbar(ResEntry& e, const Token* at) {
  e.type = ResId::Number(kRtToolbar);
  e.memoryFlags = kMemDefault;
  MemoryOptions(e.memoryFlags);
  ToolbarTemplate t;
  if (!Number16(t.width, "button width") || !Comma() || !Number16(t.height, "button height") ||
      !CommonOptions(e) || !Begin("for the toolbar's buttons"))
    return;
  while (More()) {
    uint16_t id = 0;
    if (AcceptWord("SEPARATOR")) {
      t.buttons.push_back(0);
    } else if (AcceptWord("BUTTON")) {
      if (!Number16(id, "button id")) return;
      t.buttons.push_back(id);
    } else {
      Fail("BUTTON or SEPARATOR expected, found " + Shown(Peek()));
      return;
    }
  }
  if (s_.failed) return;
  e.data = LayoutToolbar(t);
  Add(e, at);
}

// Where a .fnt header holds the offsets of its device and face names.
constexpr size_t kFontDeviceAt = 101, kFontFaceAt = 105;

void DataParser::Font(ResEntry& e, const Token* at) {
  e.type = ResId::Number(kRtFont);
  e.memoryFlags = kMemMoveable | kMemDiscardable;
  MemoryOptions(e.memoryFlags);
  const Token* file = Peek();
  if (!CommonOptions(e) || !FileData(e.data, "the font")) return;
  const uint16_t version = static_cast<uint16_t>(e.data.size() >= 2 ? e.data[0] | (e.data[1] << 8) : 0);
  if (e.data.size() < kFontDirHeaderSize || (version != 0x200 && version != 0x300)) {
    FailAt(file, "not a font file (a .fnt of version 2 or 3)");
    return;
  }
  if (!e.name.numeric)
    WarnAt(at, "font " + DescribeResId(e.name) + " has a name, not a number: the font directory leaves it out");
  if (Add(e, at)) fonts_.push_back(s_.entries.size() - 1);
}

// The font directory: the number of fonts, then for each its number, its
// header and its device and face names (as the header's offsets find them
// in the file, empty when 0). It takes the language and memory flags of the
// last font.
void DataParser::FlushFontDirectory() {
  if (fonts_.empty()) return;
  FontDirectory directory;
  for (size_t index : fonts_) {
    const ResEntry& font = s_.entries[index];
    if (!font.name.numeric) continue;
    const std::vector<uint8_t>& f = font.data;
    FontDirEntry entry;
    entry.number = font.name.number;
    entry.header.assign(f.begin(), f.begin() + kFontDirHeaderSize);
    for (auto [at, name] : {std::make_pair(kFontDeviceAt, &entry.device), std::make_pair(kFontFaceAt, &entry.face)}) {
      const size_t from = f[at] | (f[at + 1] << 8) | (f[at + 2] << 16) | (static_cast<size_t>(f[at + 3]) << 24);
      for (size_t i = from; from != 0 && i < f.size() && f[i] != 0; ++i) name->push_back(static_cast<char>(f[i]));
    }
    directory.fonts.push_back(std::move(entry));
  }
  ResEntry dir;
  dir.type = ResId::Number(kRtFontDir);
  dir.name = ResId::Number(1);
  dir.language = s_.entries[fonts_.back()].language;
  dir.memoryFlags = s_.entries[fonts_.back()].memoryFlags;
  dir.data = LayoutFontDirectory(directory);
  s_.entries.push_back(dir);
}

}  // namespace rc
}  // namespace package
