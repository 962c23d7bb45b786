// Reads laid-out menus, dialogs, version records, string blocks, accelerator
// tables, icon and cursor groups and toolbars back into their trees.

#include "package/res/res_reader.h"

#include "package/res/res_layout.h"

namespace package {
namespace res {

namespace {

// The state of one read: the bytes, and whether forms the layout does not
// write are refused.
struct Read {
  Read(ByteSpan data, ReadMode mode) : r(data), strict(mode == ReadMode::kStrict) {}
  ByteReader r;
  bool strict;

  // Where the next field starts on a double word: the strict mode asks for
  // the padding, all zeros, the lenient one steps over what of it the data holds.
  bool Align4() {
    if (strict) return r.AlignOverZeros();
    r.AlignWithin();
    return true;
  }
  // The end of the data: bytes after a resource are refused only when strict.
  bool Done(bool ok, std::string& error) {
    ok = ok && (!strict || r.AtEnd());
    error = r.error;
    return ok;
  }
};

bool MenuItems(Read& in, std::vector<MenuItem>& items, int depth) {
  ByteReader& r = in.r;
  if (depth > kMaxNesting) return r.Fail(std::string("menu ") + kNestedTooDeeply);
  for (;;) {
    MenuItem m;
    uint16_t flags = 0, id = 0;
    if (!r.Word(flags)) return false;
    m.popup = (flags & kMfPopup) != 0;
    m.flags = static_cast<uint16_t>(flags & ~(kMfPopup | kMfEnd));
    if (!m.popup && !r.Word(id)) return false;
    m.id = id;
    if (!r.Text(m.text)) return false;
    if (m.popup && !MenuItems(in, m.children, depth + 1)) return false;
    items.push_back(std::move(m));
    if (flags & kMfEnd) return true;
  }
}

// The strict mode finds each item on a double word, as the layout puts it;
// the system reads an item where the last one ended, its text on a word, and
// steps to a double word after the text.
bool MenuExItems(Read& in, std::vector<MenuItem>& items, int depth) {
  ByteReader& r = in.r;
  if (depth > kMaxNesting) return r.Fail(std::string("menu ") + kNestedTooDeeply);
  for (;;) {
    MenuItem m;
    uint16_t flags = 0;
    if (in.strict && !in.Align4()) return false;
    if (!r.Dword(m.type) || !r.Dword(m.state) || !r.Dword(m.id) || !r.Word(flags)) return false;
    if (in.strict && (flags & ~(kMenuExPopup | kMfEnd))) return r.Fail("unknown MENUEX item flags");
    m.popup = (flags & kMenuExPopup) != 0;
    if (!in.strict && !r.Align(2)) return false;
    if (!r.Text(m.text)) return false;
    if (!in.strict) r.AlignWithin();
    if (m.popup && (!(in.strict ? in.Align4() : r.Align()) || !r.Dword(m.helpId) ||
                    !MenuExItems(in, m.children, depth + 1)))
      return false;
    items.push_back(std::move(m));
    if (flags & kMfEnd) return true;
  }
}

// A dialog's or a control's styles, in the order LayoutDialog writes them.
bool Styles(ByteReader& r, bool extended, uint32_t& helpId, uint32_t& exStyle, uint32_t& style) {
  if (extended && !r.Dword(helpId)) return false;
  return extended ? r.Dword(exStyle) && r.Dword(style) : r.Dword(style) && r.Dword(exStyle);
}

bool Rectangle(ByteReader& r, DialogControl& c) { return r.Short(c.x) && r.Short(c.y) && r.Short(c.cx) && r.Short(c.cy); }

// The system steps over creation data in whole words, so the lenient mode
// reads it so: an odd size takes its padding byte along.
bool Control(Read& in, bool extended, DialogControl& c) {
  ByteReader& r = in.r;
  if (!in.Align4() || !Styles(r, extended, c.helpId, c.exStyle, c.style) || !Rectangle(r, c)) return false;
  uint16_t id = 0, size = 0;
  if (extended ? !r.Dword(c.id) : !r.Word(id)) return false;
  if (!extended) c.id = id;
  if (!r.NameOrOrdinal(c.windowClass) || !r.NameOrOrdinal(c.text) || !r.Word(size)) return false;
  return r.Bytes(in.strict ? size : (size + 1u) / 2 * 2, c.creationData);
}

// A dialog's menu or class: none when the first word is 0.
bool Optional(ByteReader& r, bool& present, ResId& id) {
  present = r.Remaining() < 2 || r.Here()[0] != 0 || r.Here()[1] != 0;
  if (!present) return r.Skip(2);
  return r.NameOrOrdinal(id);
}

bool DialogFont(Read& in, DialogTemplate& d) {
  ByteReader& r = in.r;
  if (!(d.style & kDsSetFont)) return true;
  if (!r.Word(d.pointSize)) return false;
  // The system takes its message font for this size and reads nothing more.
  d.messageFont = !in.strict && d.pointSize == kMessageFontSize;
  if (d.messageFont) return true;
  if (d.extended && (!r.Word(d.weight) || !r.Byte(d.italic) || !r.Byte(d.charset))) return false;
  return r.Text(d.face);
}

// One node of a version record within `end`: its header, key, value and
// children; the reader is left at the node's end.
bool VersionNodeAt(Read& in, size_t end, VersionNode& n, int depth) {
  ByteReader& r = in.r;
  if (depth > kMaxNesting + 2) return r.Fail(std::string("version block ") + kNestedTooDeeply);
  const size_t start = r.pos;
  uint16_t length = 0;
  r.limit = end;
  if (!r.Word(length) || !r.Word(n.valueLength) || !r.Word(n.type)) return false;
  if (in.strict && n.type > 1) return r.Fail("unknown version value type");
  if (length < 6 || length > end - start) return r.Fail("bad version block length");
  const size_t nodeEnd = start + length;
  r.limit = nodeEnd;
  if (!r.Text(n.key) || !in.Align4()) return false;
  // A text value's length counts characters, a binary one's bytes; some
  // compilers count a text's bytes, which the system reads up to the node's end.
  size_t valueBytes = n.type == 1 ? 2u * n.valueLength : n.valueLength;
  if (!in.strict && n.type == 1 && valueBytes > r.Remaining()) {
    valueBytes = r.Remaining() & ~size_t{1};
    n.valueLength = static_cast<uint16_t>(valueBytes / 2);
  }
  if (!r.Bytes(valueBytes, n.value)) return false;
  // The system reads a child wherever six bytes remain for its header.
  while (in.strict ? r.Aligned() < nodeEnd : r.Aligned() + 6 <= nodeEnd) {
    if (in.strict && !in.Align4()) return false;
    r.pos = r.Aligned();
    n.children.emplace_back();
    if (!VersionNodeAt(in, nodeEnd, n.children.back(), depth + 1)) return false;
    r.limit = nodeEnd;
  }
  // The layout ends a block where its last field ends.
  if (in.strict && r.pos != nodeEnd) return r.Fail("bytes left over in a version block");
  r.pos = nodeEnd;
  return true;
}

// The fixed information the root holds: all of it, or as much as the
// lenient mode needs to show its versions, flags, OS and type.
bool HasFixedInfo(const VersionNode& root, bool strict) {
  const std::vector<uint8_t>& v = root.value;
  const bool signature =
      v.size() >= 4 && (v[0] | v[1] << 8 | v[2] << 16 | static_cast<uint32_t>(v[3]) << 24) == kFixedInfoSignature;
  if (!strict) return signature && v.size() >= 4 * 10;
  return signature && v.size() == 4 * kFixedInfoWords && root.key == u"VS_VERSION_INFO" && root.type == 0;
}

}  // namespace

bool ReadMenu(ByteSpan data, MenuTemplate& out, std::string& error, ReadMode mode) {
  Read in(data, mode);
  ByteReader& r = in.r;
  out = MenuTemplate();
  uint16_t version = 0, offset = 0;
  bool ok = r.Word(version) && r.Word(offset);
  if (ok && version == 0) {
    ok = offset == 0 ? MenuItems(in, out.items, 0) : r.Fail("a MENU header size other than 0");
  } else if (ok && version == 1) {
    out.extended = true;
    // The items follow the header's offset; its first double word is the help id.
    const size_t items = r.pos + offset;
    if (in.strict && offset != 4) {
      ok = r.Fail("a MENUEX items offset other than 4");
    } else if (offset >= 4 && !r.Dword(out.helpId)) {
      ok = false;
    } else if (items > r.limit) {
      ok = r.Fail("data ends early");
    } else {
      r.pos = items;
      ok = MenuExItems(in, out.items, 0);
    }
  } else if (ok) {
    ok = r.Fail("unknown menu version");
  }
  return in.Done(ok, error);
}

bool ReadDialog(ByteSpan data, DialogTemplate& out, std::string& error, ReadMode mode) {
  Read in(data, mode);
  ByteReader& r = in.r;
  DialogTemplate& d = out = DialogTemplate();
  const uint8_t* b = data.data;
  d.extended = data.size >= 4 && b[0] == 1 && b[1] == 0 && b[2] == 0xFF && b[3] == 0xFF;
  r.pos = d.extended ? 4 : 0;
  uint16_t count = 0;
  bool ok = Styles(r, d.extended, d.helpId, d.exStyle, d.style) && r.Word(count) && Rectangle(r, d.frame) &&
            Optional(r, d.hasMenu, d.menu) && Optional(r, d.hasClass, d.windowClass) && r.Text(d.caption) &&
            DialogFont(in, d);
  for (uint16_t i = 0; ok && i < count; ++i) {
    d.controls.emplace_back();
    ok = Control(in, d.extended, d.controls.back());
  }
  return in.Done(ok, error);
}

bool ReadVersionInfo(ByteSpan data, VersionNode& out, std::string& error, ReadMode mode) {
  Read in(data, mode);
  out = VersionNode();
  bool ok = VersionNodeAt(in, data.size, out, 0);
  if (ok && !HasFixedInfo(out, in.strict)) ok = in.r.Fail("not a VS_VERSION_INFO record with fixed information");
  in.r.limit = data.size;
  return in.Done(ok, error);
}

bool ReadStringBlock(ByteSpan data, StringBlock& out, std::string& error, ReadMode mode) {
  Read in(data, mode);
  ByteReader& r = in.r;
  out = StringBlock();
  bool ok = true;
  for (int i = 0; ok && i < 16; ++i) {
    uint16_t length = 0;
    ok = r.Word(length);
    for (uint16_t k = 0; ok && k < length; ++k) {
      uint16_t c = 0;
      ok = r.Word(c);
      out.text[i].push_back(static_cast<char16_t>(c));
    }
    out.present[i] = !out.text[i].empty();
  }
  return in.Done(ok, error);
}

bool ReadAccelerators(ByteSpan data, std::vector<Accelerator>& out, std::string& error, ReadMode mode) {
  Read in(data, mode);
  ByteReader& r = in.r;
  out.clear();
  bool ok = true;
  for (bool last = false; ok && !last;) {
    Accelerator a;
    uint16_t padding = 0;
    ok = r.Word(a.flags) && r.Word(a.key) && r.Word(a.id) && r.Word(padding);
    if (ok && in.strict && padding != 0) ok = r.Fail("an accelerator's padding is not 0");
    last = (a.flags & kAcceleratorLast) != 0;
    a.flags = static_cast<uint16_t>(a.flags & ~kAcceleratorLast);
    if (ok) out.push_back(a);
  }
  return in.Done(ok, error);
}

bool ReadImageGroup(ByteSpan data, ImageGroup& out, std::string& error, ReadMode mode) {
  Read in(data, mode);
  ByteReader& r = in.r;
  out = ImageGroup();
  uint16_t reserved = 0, kind = 0, count = 0;
  bool ok = r.Word(reserved) && r.Word(kind) && r.Word(count);
  if (ok && in.strict && (reserved != 0 || (kind != 1 && kind != 2))) ok = r.Fail("not an icon or cursor group");
  out.cursor = kind == 2;
  constexpr size_t kLine = 14;
  for (uint16_t i = 0; ok && i < count && (in.strict || r.Remaining() >= kLine); ++i) {
    GroupImage g;
    uint8_t w = 0, h = 0;
    if (out.cursor) {
      ok = r.Word(g.width) && r.Word(g.height);
    } else {
      ok = r.Byte(w) && r.Byte(h) && r.Byte(g.colors) && r.Byte(g.reserved);
      g.width = w;
      g.height = h;
    }
    ok = ok && r.Word(g.planes) && r.Word(g.bitCount) && r.Dword(g.bytes) && r.Word(g.id);
    out.images.push_back(g);
  }
  return in.Done(ok, error);
}

bool ReadToolbar(ByteSpan data, ToolbarTemplate& out, std::string& error, ReadMode mode) {
  Read in(data, mode);
  ByteReader& r = in.r;
  out = ToolbarTemplate();
  uint16_t version = 0, count = 0;
  bool ok = r.Word(version) && r.Word(out.width) && r.Word(out.height) && r.Word(count);
  if (ok && version != 1) ok = r.Fail("unknown toolbar version");
  for (uint16_t i = 0; ok && i < count; ++i) {
    uint16_t id = 0;
    ok = r.Word(id);
    out.buttons.push_back(id);
  }
  return in.Done(ok, error);
}

bool ReadFontDirectory(ByteSpan data, FontDirectory& out, std::string& error, ReadMode mode) {
  Read in(data, mode);
  ByteReader& r = in.r;
  out = FontDirectory();
  uint16_t count = 0;
  bool ok = r.Word(count);
  for (uint16_t i = 0; ok && i < count; ++i) {
    FontDirEntry f;
    ok = r.Word(f.number) && r.Bytes(kFontDirHeaderSize, f.header);
    for (std::string* name : {&f.device, &f.face}) {
      for (uint8_t c = 1; ok && (ok = r.Byte(c)) && c != 0;) name->push_back(static_cast<char>(c));
    }
    if (ok) out.fonts.push_back(std::move(f));
  }
  return in.Done(ok, error);
}

bool HasLayoutTree(const ResId& type) {
  if (!type.numeric) return false;
  switch (type.number) {
    case kRtMenu: case kRtDialog: case kRtVersion: case kRtString: case kRtAccelerator:
    case kRtGroupIcon: case kRtGroupCursor: case kRtToolbar: case kRtFontDir:
      return true;
    default: return false;
  }
}

bool Relayout(const ResEntry& entry, std::vector<uint8_t>& out, std::string& error, ReadMode mode) {
  if (!HasLayoutTree(entry.type)) {
    error = "type " + DescribeResId(entry.type) + " is not read into a tree";
    return false;
  }
  MenuTemplate menu;
  DialogTemplate dialog;
  VersionNode version;
  StringBlock strings;
  std::vector<Accelerator> table;
  ImageGroup group;
  ToolbarTemplate toolbar;
  FontDirectory fonts;
  Writer w;
  switch (entry.type.number) {
    case kRtMenu: if (!ReadMenu(entry.data, menu, error, mode)) return false; out = LayoutMenu(menu); break;
    case kRtDialog: if (!ReadDialog(entry.data, dialog, error, mode)) return false; out = LayoutDialog(dialog); break;
    case kRtVersion:
      if (!ReadVersionInfo(entry.data, version, error, mode)) return false;
      LayoutVersionNode(w, version);
      out = w.bytes;
      break;
    case kRtString: if (!ReadStringBlock(entry.data, strings, error, mode)) return false; out = LayoutStringBlock(strings); break;
    case kRtToolbar: if (!ReadToolbar(entry.data, toolbar, error, mode)) return false; out = LayoutToolbar(toolbar); break;
    case kRtFontDir: if (!ReadFontDirectory(entry.data, fonts, error, mode)) return false; out = LayoutFontDirectory(fonts); break;
    case kRtGroupIcon:
    case kRtGroupCursor: if (!ReadImageGroup(entry.data, group, error, mode)) return false; out = LayoutImageGroup(group); break;
    default: if (!ReadAccelerators(entry.data, table, error, mode)) return false; out = LayoutAccelerators(table); break;
  }
  return true;
}

bool ReadFixedInfo(const VersionNode& root, uint32_t (&fixed)[kFixedInfoWords]) {
  if (root.valueLength != 4 * kFixedInfoWords || root.value.size() != 4 * kFixedInfoWords) return false;
  ByteReader r(root.value);
  for (uint32_t& v : fixed) r.Dword(v);
  return true;
}

}  // namespace res
}  // namespace package
