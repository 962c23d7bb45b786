// Reads laid-out menus, dialogs, version records, string tables, accelerator
// tables, icon and cursor groups and toolbars back into their trees.

#include "package/rc/rc_layout_reader.h"

#include "package/rc/rc_parser.h"

namespace package {
namespace rc {

namespace {

// A cursor over a resource's bytes that never reads past `limit`; the first
// fault is kept with its offset.
class ByteReader {
 public:
  explicit ByteReader(const std::vector<uint8_t>& data) : limit(data.size()), d_(data) {}

  size_t pos = 0;
  size_t limit;
  std::string error;

  bool Fail(const std::string& what) {
    if (error.empty()) error = what + " at offset " + std::to_string(pos);
    return false;
  }
  bool Byte(uint8_t& v) {
    if (pos >= limit) return Fail("data ends early");
    v = d_[pos++];
    return true;
  }
  bool Word(uint16_t& v) {
    if (limit < 2 || pos > limit - 2) return Fail("data ends early");
    v = static_cast<uint16_t>(d_[pos] | (d_[pos + 1] << 8));
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
  bool Bytes(size_t count, std::vector<uint8_t>& out) {
    if (count > limit - pos) return Fail("data ends early");
    out.assign(d_.begin() + static_cast<std::ptrdiff_t>(pos), d_.begin() + static_cast<std::ptrdiff_t>(pos + count));
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
    const size_t at = pos;
    if (!Word(first)) return false;
    if (first == 0xFFFF) {
      uint16_t n = 0;
      if (!Word(n)) return false;
      id = ResId::Number(n);
      return true;
    }
    pos = at;
    std::u16string text;
    if (!Text(text)) return false;
    id = ResId::Text(text);
    return true;
  }
  // A dialog's menu or class: none when the first word is 0.
  bool Optional(bool& present, ResId& id) {
    if (limit >= 2 && pos <= limit - 2 && d_[pos] == 0 && d_[pos + 1] == 0) {
      present = false;
      pos += 2;
      return true;
    }
    present = true;
    return NameOrOrdinal(id);
  }
  // Where the next double word starts (relative to the data's start).
  size_t Aligned() const { return (pos + 3) & ~static_cast<size_t>(3); }
  bool Align4() {
    if (Aligned() > limit) return Fail("data ends early");
    pos = Aligned();
    return true;
  }
  bool AtEnd() { return pos == d_.size() || Fail("bytes left over"); }

 private:
  const std::vector<uint8_t>& d_;
};

constexpr uint16_t kMenuPopup = 0x0010, kMenuLast = 0x0080;
constexpr uint16_t kMenuExPopup = 0x01, kMenuExLast = 0x80;

bool MenuItems(ByteReader& r, std::vector<MenuItem>& items, int depth) {
  if (depth > kMaxNesting) return r.Fail("menu nested too deeply");
  for (;;) {
    MenuItem m;
    uint16_t flags = 0, id = 0;
    if (!r.Word(flags)) return false;
    m.popup = (flags & kMenuPopup) != 0;
    m.flags = static_cast<uint16_t>(flags & ~(kMenuPopup | kMenuLast));
    if (!m.popup && !r.Word(id)) return false;
    m.id = id;
    if (!r.Text(m.text)) return false;
    if (m.popup && !MenuItems(r, m.children, depth + 1)) return false;
    items.push_back(m);
    if (flags & kMenuLast) return true;
  }
}

bool MenuExItems(ByteReader& r, std::vector<MenuItem>& items, int depth) {
  if (depth > kMaxNesting) return r.Fail("menu nested too deeply");
  for (;;) {
    MenuItem m;
    uint16_t flags = 0;
    if (!r.Align4() || !r.Dword(m.type) || !r.Dword(m.state) || !r.Dword(m.id) || !r.Word(flags)) return false;
    if (flags & ~(kMenuExPopup | kMenuExLast)) return r.Fail("unknown MENUEX item flags");
    m.popup = (flags & kMenuExPopup) != 0;
    if (!r.Text(m.text)) return false;
    if (m.popup && (!r.Align4() || !r.Dword(m.helpId) || !MenuExItems(r, m.children, depth + 1))) return false;
    items.push_back(m);
    if (flags & kMenuExLast) return true;
  }
}

// A dialog's or a control's styles, in the order LayoutDialog writes them.
bool Styles(ByteReader& r, bool extended, uint32_t& helpId, uint32_t& exStyle, uint32_t& style) {
  if (extended && !r.Dword(helpId)) return false;
  return extended ? r.Dword(exStyle) && r.Dword(style) : r.Dword(style) && r.Dword(exStyle);
}

bool Rectangle(ByteReader& r, DialogControl& c) { return r.Short(c.x) && r.Short(c.y) && r.Short(c.cx) && r.Short(c.cy); }

bool Control(ByteReader& r, bool extended, DialogControl& c) {
  if (!r.Align4() || !Styles(r, extended, c.helpId, c.exStyle, c.style) || !Rectangle(r, c)) return false;
  uint16_t id = 0, size = 0;
  if (extended ? !r.Dword(c.id) : !r.Word(id)) return false;
  if (!extended) c.id = id;
  return r.NameOrOrdinal(c.windowClass) && r.NameOrOrdinal(c.text) && r.Word(size) && r.Bytes(size, c.creationData);
}

bool DialogFont(ByteReader& r, DialogTemplate& d) {
  if (!(d.style & kDsSetFont)) return true;
  if (!r.Word(d.pointSize)) return false;
  if (d.extended && (!r.Word(d.weight) || !r.Byte(d.italic) || !r.Byte(d.charset))) return false;
  return r.Text(d.face);
}

// One node of a version record within `end`: its header, key, value and
// children; the reader is left at the node's end.
bool VersionNodeAt(ByteReader& r, size_t end, VersionNode& n, int depth) {
  if (depth > kMaxNesting + 2) return r.Fail("version block nested too deeply");
  const size_t start = r.pos;
  uint16_t length = 0;
  r.limit = end;
  if (!r.Word(length) || !r.Word(n.valueLength) || !r.Word(n.type)) return false;
  if (n.type > 1) return r.Fail("unknown version value type");
  if (length < 6 || length > end - start) return r.Fail("bad version block length");
  const size_t nodeEnd = start + length;
  r.limit = nodeEnd;
  // A text value's length counts characters, a binary one's bytes.
  const size_t valueBytes = n.type == 1 ? 2u * n.valueLength : n.valueLength;
  if (!r.Text(n.key) || !r.Align4() || !r.Bytes(valueBytes, n.value)) return false;
  while (r.Aligned() < nodeEnd) {
    r.pos = r.Aligned();
    n.children.emplace_back();
    if (!VersionNodeAt(r, nodeEnd, n.children.back(), depth + 1)) return false;
    r.limit = nodeEnd;
  }
  r.pos = nodeEnd;
  return true;
}

}  // namespace

bool ReadMenu(const std::vector<uint8_t>& data, MenuTemplate& out, std::string& error) {
  ByteReader r(data);
  out = MenuTemplate();
  uint16_t version = 0, offset = 0;
  bool ok = r.Word(version) && r.Word(offset);
  if (ok && version == 0) {
    ok = offset == 0 ? MenuItems(r, out.items, 0) : r.Fail("a MENU header size other than 0");
  } else if (ok && version == 1) {
    out.extended = true;
    ok = offset == 4 ? r.Dword(out.helpId) && MenuExItems(r, out.items, 0) : r.Fail("a MENUEX items offset other than 4");
  } else if (ok) {
    ok = r.Fail("unknown menu version");
  }
  ok = ok && r.AtEnd();
  error = r.error;
  return ok;
}

bool ReadDialog(const std::vector<uint8_t>& data, DialogTemplate& out, std::string& error) {
  ByteReader r(data);
  DialogTemplate& d = out = DialogTemplate();
  d.extended = data.size() >= 4 && data[0] == 1 && data[1] == 0 && data[2] == 0xFF && data[3] == 0xFF;
  r.pos = d.extended ? 4 : 0;
  uint16_t count = 0;
  bool ok = Styles(r, d.extended, d.helpId, d.exStyle, d.style) && r.Word(count) && Rectangle(r, d.frame) &&
            r.Optional(d.hasMenu, d.menu) && r.Optional(d.hasClass, d.windowClass) && r.Text(d.caption) &&
            DialogFont(r, d);
  for (uint16_t i = 0; ok && i < count; ++i) {
    d.controls.emplace_back();
    ok = Control(r, d.extended, d.controls.back());
  }
  ok = ok && r.AtEnd();
  error = r.error;
  return ok;
}

bool ReadVersionInfo(const std::vector<uint8_t>& data, VersionNode& out, std::string& error) {
  ByteReader r(data);
  out = VersionNode();
  bool ok = VersionNodeAt(r, data.size(), out, 0);
  const bool fixed = out.value.size() == 4 * kFixedInfoWords && out.value[0] == 0xBD && out.value[1] == 0x04 &&
                     out.value[2] == 0xEF && out.value[3] == 0xFE;
  if (ok && (out.key != u"VS_VERSION_INFO" || out.type != 0 || !fixed))
    ok = r.Fail("not a VS_VERSION_INFO record with fixed information");
  ok = ok && r.AtEnd();
  error = r.error;
  return ok;
}

bool ReadStringBlock(const std::vector<uint8_t>& data, StringBlock& out, std::string& error) {
  ByteReader r(data);
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
  ok = ok && r.AtEnd();
  error = r.error;
  return ok;
}

bool ReadAccelerators(const std::vector<uint8_t>& data, std::vector<Accelerator>& out, std::string& error) {
  ByteReader r(data);
  out.clear();
  bool ok = true;
  for (bool last = false; ok && !last;) {
    Accelerator a;
    uint16_t padding = 0;
    ok = r.Word(a.flags) && r.Word(a.key) && r.Word(a.id) && r.Word(padding);
    if (ok && padding != 0) ok = r.Fail("an accelerator's padding is not 0");
    last = (a.flags & 0x80) != 0;
    a.flags = static_cast<uint16_t>(a.flags & ~0x80);
    out.push_back(a);
  }
  ok = ok && r.AtEnd();
  error = r.error;
  return ok;
}

bool ReadImageGroup(const std::vector<uint8_t>& data, ImageGroup& out, std::string& error) {
  ByteReader r(data);
  out = ImageGroup();
  uint16_t reserved = 0, kind = 0, count = 0;
  bool ok = r.Word(reserved) && r.Word(kind) && r.Word(count);
  if (ok && (reserved != 0 || (kind != 1 && kind != 2))) ok = r.Fail("not an icon or cursor group");
  out.cursor = kind == 2;
  for (uint16_t i = 0; ok && i < count; ++i) {
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
  ok = ok && r.AtEnd();
  error = r.error;
  return ok;
}

bool ReadToolbar(const std::vector<uint8_t>& data, ToolbarTemplate& out, std::string& error) {
  ByteReader r(data);
  out = ToolbarTemplate();
  uint16_t version = 0, count = 0;
  bool ok = r.Word(version) && r.Word(out.width) && r.Word(out.height) && r.Word(count);
  if (ok && version != 1) ok = r.Fail("unknown toolbar version");
  for (uint16_t i = 0; ok && i < count; ++i) {
    uint16_t id = 0;
    ok = r.Word(id);
    out.buttons.push_back(id);
  }
  ok = ok && r.AtEnd();
  error = r.error;
  return ok;
}

bool HasLayoutTree(const ResId& type) {
  if (!type.numeric) return false;
  switch (type.number) {
    case kRtMenu: case kRtDialog: case kRtVersion: case kRtString: case kRtAccelerator:
    case kRtGroupIcon: case kRtGroupCursor: case kRtToolbar:
      return true;
    default: return false;
  }
}

bool Relayout(const ResEntry& entry, std::vector<uint8_t>& out, std::string& error) {
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
  Writer w;
  switch (entry.type.number) {
    case kRtMenu: if (!ReadMenu(entry.data, menu, error)) return false; out = LayoutMenu(menu); break;
    case kRtDialog: if (!ReadDialog(entry.data, dialog, error)) return false; out = LayoutDialog(dialog); break;
    case kRtVersion:
      if (!ReadVersionInfo(entry.data, version, error)) return false;
      LayoutVersionNode(w, version);
      out = w.bytes;
      break;
    case kRtString: if (!ReadStringBlock(entry.data, strings, error)) return false; out = LayoutStringBlock(strings); break;
    case kRtToolbar: if (!ReadToolbar(entry.data, toolbar, error)) return false; out = LayoutToolbar(toolbar); break;
    case kRtGroupIcon:
    case kRtGroupCursor: if (!ReadImageGroup(entry.data, group, error)) return false; out = LayoutImageGroup(group); break;
    default: if (!ReadAccelerators(entry.data, table, error)) return false; out = LayoutAccelerators(table); break;
  }
  return true;
}

}  // namespace rc
}  // namespace package
