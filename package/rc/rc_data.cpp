// RCDATA and user-defined resources, resources read from files, icons and bitmaps.

#include "package/rc/rc_parser.h"

namespace package {
namespace rc {

void Parser::UserData(ResEntry& e, const Token* at, const ResId& type) {
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

bool Parser::RawData(std::vector<uint8_t>& data) {
  Writer w;
  if (!Begin("for the data")) return false;
  while (More()) {
    const Token* t = Peek();
    if (t->kind == TokenKind::String) {
      if (t->wide) {
        for (char16_t c : StringText(*t)) w.Word(static_cast<uint16_t>(c));
      } else {
        for (char c : StringBytes(*t)) w.Byte(static_cast<uint8_t>(c));
      }
      ++pos_;
    } else {
      const size_t from = pos_;
      int64_t v = 0;
      if (!Number(v)) return false;
      bool isLong = false;
      for (size_t i = from; i < pos_; ++i) isLong = isLong || (t_[i].kind == TokenKind::Number && t_[i].isLong);
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
  return !failed_;
}

void Parser::FileResource(ResEntry& e, const Token* at, const ResId& type) {
  e.type = type;
  e.memoryFlags = kMemDefault;
  MemoryOptions(e.memoryFlags);
  if (!CommonOptions(e) || !FileData(e.data, "the resource")) return;
  Add(e, at);
}

void Parser::Bitmap(ResEntry& e, const Token* at) {
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

void Parser::Icon(ResEntry& e, const Token* at) {
  e.type = ResId::Number(kRtGroupIcon);
  e.memoryFlags = kMemDefaultDiscardable;
  MemoryOptions(e.memoryFlags);
  const Token* file = Peek();
  std::vector<uint8_t> ico;
  if (!CommonOptions(e) || !FileData(ico, "the icon")) return;

  auto word = [&ico](size_t at2) { return static_cast<uint16_t>(ico[at2] | (ico[at2 + 1] << 8)); };
  auto dword = [&](size_t at2) { return static_cast<uint32_t>(word(at2)) | (static_cast<uint32_t>(word(at2 + 2)) << 16); };
  if (ico.size() < 6 || word(0) != 0 || word(2) != 1 || word(4) == 0 || ico.size() < 6 + 16u * word(4)) {
    FailAt(file, "not an icon file");
    return;
  }
  // Each image becomes an icon resource; the group lists them.
  Writer group;
  const uint16_t count = word(4);
  group.Word(0);
  group.Word(1);
  group.Word(count);
  for (uint16_t i = 0; i < count; ++i) {
    const size_t dir = 6 + 16u * i;
    const uint32_t size = dword(dir + 8), offset = dword(dir + 12);
    if (offset > ico.size() || size > ico.size() - offset) {
      FailAt(file, "icon file is truncated");
      return;
    }
    ResEntry image;
    image.type = ResId::Number(kRtIcon);
    image.name = ResId::Number(nextIconId_++);
    image.language = e.language;
    image.memoryFlags = kMemMoveable | kMemDiscardable;
    image.data.assign(ico.begin() + offset, ico.begin() + offset + size);
    if (!Add(image, at)) return;
    for (size_t k = 0; k < 4; ++k) group.Byte(ico[dir + k]);
    group.Word(word(dir + 4));
    group.Word(word(dir + 6));
    group.Dword(size);
    group.Word(image.name.number);
  }
  e.data = group.bytes;
  Add(e, at);
}

}  // namespace rc
}  // namespace package
