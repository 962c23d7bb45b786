// RCDATA and user-defined resources, resources read from files, icons,
// cursors, bitmaps, toolbars and fonts.

#include "package/rc/rc_data.h"

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
  // The resource holds the bitmap without its 14-byte file header.
  if (e.data.size() < 14 + 12 || e.data[0] != 'B' || e.data[1] != 'M') {
    FailAt(file, "not a bitmap file");
    return;
  }
  e.data.erase(e.data.begin(), e.data.begin() + 14);
  Add(e, at);
}

namespace {

uint16_t WordAt(const std::vector<uint8_t>& b, size_t at) { return static_cast<uint16_t>(b[at] | (b[at + 1] << 8)); }
uint32_t DwordAt(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<uint32_t>(WordAt(b, at)) | (static_cast<uint32_t>(WordAt(b, at + 2)) << 16);
}

}  // namespace

void DataParser::Icon(ResEntry& e, const Token* at, bool cursor) {
  e.type = ResId::Number(cursor ? kRtGroupCursor : kRtGroupIcon);
  e.memoryFlags = kMemDefaultDiscardable;
  MemoryOptions(e.memoryFlags);
  const Token* file = Peek();
  std::vector<uint8_t> ico;
  const char* what = cursor ? "the cursor" : "the icon";
  if (!CommonOptions(e) || !FileData(ico, what)) return;

  const uint16_t kind = cursor ? 2 : 1;
  if (ico.size() < 6 || WordAt(ico, 0) != 0 || WordAt(ico, 2) != kind || WordAt(ico, 4) == 0 ||
      ico.size() < 6 + 16u * WordAt(ico, 4)) {
    FailAt(file, cursor ? "not a cursor file" : "not an icon file");
    return;
  }
  // Each image becomes an icon (or cursor) resource; the group lists them.
  ImageGroup group;
  group.cursor = cursor;
  const uint16_t count = WordAt(ico, 4);
  for (uint16_t i = 0; i < count; ++i) {
    if (!IconImage(ico, 6 + 16u * i, e, at, file, group)) return;
  }
  e.data = LayoutImageGroup(group);
  Add(e, at);
}

bool DataParser::IconImage(const std::vector<uint8_t>& ico, size_t dir, const ResEntry& e, const Token* at,
                           const Token* file, ImageGroup& group) {
  const bool cursor = group.cursor;
  const uint32_t size = DwordAt(ico, dir + 8), offset = DwordAt(ico, dir + 12);
  if (offset > ico.size() || size > ico.size() - offset)
    return FailAt(file, cursor ? "cursor file is truncated" : "icon file is truncated");
  ResEntry image;
  image.type = ResId::Number(cursor ? kRtCursor : kRtIcon);
  image.name = ResId::Number(cursor ? nextCursorId_++ : nextIconId_++);
  image.language = e.language;
  image.memoryFlags = kMemMoveable | kMemDiscardable;
  Writer body;
  if (cursor) {  // a cursor image starts with its hot spot
    body.Word(WordAt(ico, dir + 4));
    body.Word(WordAt(ico, dir + 6));
  }
  body.bytes.insert(body.bytes.end(), ico.begin() + offset, ico.begin() + offset + size);
  image.data = body.bytes;
  if (!Add(image, at)) return false;
  // Planes and bit count come from the image's own header (the directory
  // often holds 0, and the system picks images by them); a PNG image keeps
  // the directory's. A cursor's directory holds its hot spot there instead.
  const bool dib = size >= 40 && DwordAt(ico, offset) >= 40 && DwordAt(ico, offset) <= 124;
  GroupImage line;
  line.planes = cursor ? 1 : WordAt(ico, dir + 4);
  line.bitCount = cursor ? 1 : WordAt(ico, dir + 6);
  if (dib) {
    line.planes = WordAt(ico, offset + 12);
    line.bitCount = WordAt(ico, offset + 14);
  }
  if (cursor) {
    // The height counts the mask as well.
    line.width = dib ? static_cast<uint16_t>(DwordAt(ico, offset + 4)) : ico[dir];
    line.height = dib ? static_cast<uint16_t>(DwordAt(ico, offset + 8)) : static_cast<uint16_t>(ico[dir + 1] * 2);
  } else {
    line.width = ico[dir];
    line.height = ico[dir + 1];
    line.colors = ico[dir + 2];
    line.reserved = ico[dir + 3];
  }
  line.bytes = static_cast<uint32_t>(image.data.size());
  line.id = image.name.number;
  group.images.push_back(line);
  return true;
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
