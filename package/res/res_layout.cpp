// The layout of menus, dialogs, version records, string tables, accelerator
// tables, icon and cursor groups, toolbars and font directories.

#include "package/res/res_layout.h"

namespace package {
namespace res {

std::vector<uint8_t> LayoutMenu(const MenuTemplate& m) {
  Writer w;
  if (m.extended) {
    w.Word(1);  // version
    w.Word(4);  // offset of the items from the help id
    w.Dword(m.helpId);
    LayoutMenuExItems(w, m.items);
  } else {
    w.Word(0);  // version
    w.Word(0);  // header size
    LayoutMenuItems(w, m.items);
  }
  return w.bytes;
}

void LayoutMenuItems(Writer& w, const std::vector<MenuItem>& items) {
  for (size_t i = 0; i < items.size(); ++i) {
    const MenuItem& m = items[i];
    uint16_t flags = m.flags;
    if (m.popup) flags |= kMfPopup;
    if (i + 1 == items.size()) flags |= kMfEnd;
    w.Word(flags);
    if (!m.popup) w.Word(static_cast<uint16_t>(m.id));
    w.Text(m.text);
    if (m.popup) LayoutMenuItems(w, m.children);
  }
}

void LayoutMenuExItems(Writer& w, const std::vector<MenuItem>& items) {
  for (size_t i = 0; i < items.size(); ++i) {
    const MenuItem& m = items[i];
    w.Align4();
    w.Dword(m.type);
    w.Dword(m.state);
    w.Dword(m.id);
    w.Word(static_cast<uint16_t>((m.popup ? kMenuExPopup : 0) | (i + 1 == items.size() ? kMfEnd : 0)));
    w.Text(m.text);
    if (m.popup) {
      w.Align4();
      w.Dword(m.helpId);
      LayoutMenuExItems(w, m.children);
    }
  }
}

namespace {

// A dialog's or a control's styles: the extended form leads with its help id
// and puts the extended style first.
void Styles(Writer& w, bool extended, uint32_t helpId, uint32_t exStyle, uint32_t style) {
  if (extended) w.Dword(helpId);
  w.Dword(extended ? exStyle : style);
  w.Dword(extended ? style : exStyle);
}

}  // namespace

std::vector<uint8_t> LayoutDialog(const DialogTemplate& d) {
  Writer w;
  if (d.extended) {
    w.Word(1);
    w.Word(0xFFFF);
  }
  Styles(w, d.extended, d.helpId, d.exStyle, d.style);
  w.Word(static_cast<uint16_t>(d.controls.size()));
  w.Word(static_cast<uint16_t>(d.frame.x));
  w.Word(static_cast<uint16_t>(d.frame.y));
  w.Word(static_cast<uint16_t>(d.frame.cx));
  w.Word(static_cast<uint16_t>(d.frame.cy));
  if (d.hasMenu) w.NameOrOrdinal(d.menu); else w.Word(0);
  if (d.hasClass) w.NameOrOrdinal(d.windowClass); else w.Word(0);
  w.Text(d.caption);
  if (d.style & kDsSetFont) {
    w.Word(d.messageFont ? kMessageFontSize : d.pointSize);
  }
  if ((d.style & kDsSetFont) && !d.messageFont) {
    if (d.extended) {
      w.Word(d.weight);
      w.Byte(d.italic);
      w.Byte(d.charset);
    }
    w.Text(d.face);
  }
  for (const DialogControl& c : d.controls) {
    w.Align4();
    Styles(w, d.extended, c.helpId, c.exStyle, c.style);
    w.Word(static_cast<uint16_t>(c.x));
    w.Word(static_cast<uint16_t>(c.y));
    w.Word(static_cast<uint16_t>(c.cx));
    w.Word(static_cast<uint16_t>(c.cy));
    if (d.extended) w.Dword(c.id); else w.Word(static_cast<uint16_t>(c.id));
    w.NameOrOrdinal(c.windowClass);
    w.NameOrOrdinal(c.text);
    w.Word(static_cast<uint16_t>(c.creationData.size()));
    w.Append(c.creationData);
  }
  return w.bytes;
}

void LayoutVersionNode(Writer& w, const VersionNode& n) {
  const size_t start = w.bytes.size();
  w.Word(0);
  w.Word(n.valueLength);
  w.Word(n.type);
  w.Text(n.key);
  w.Align4();
  w.Append(n.value);
  for (const VersionNode& c : n.children) {
    w.Align4();
    LayoutVersionNode(w, c);
  }
  w.PatchWord(start, static_cast<uint16_t>(w.bytes.size() - start));
}

VersionNode VersionRoot(const uint32_t (&fixed)[kFixedInfoWords]) {
  VersionNode root;
  root.key = u"VS_VERSION_INFO";
  root.type = 0;
  Writer w;
  for (uint32_t v : fixed) w.Dword(v);
  root.value = w.bytes;
  root.valueLength = static_cast<uint16_t>(w.bytes.size());
  return root;
}

std::vector<uint8_t> LayoutStringBlock(const StringBlock& b) {
  Writer w;
  for (const std::u16string& text : b.text) {
    w.Word(static_cast<uint16_t>(text.size()));
    for (char16_t c : text) w.Word(static_cast<uint16_t>(c));
  }
  return w.bytes;
}

std::vector<uint8_t> LayoutAccelerators(const std::vector<Accelerator>& table) {
  Writer w;
  for (size_t i = 0; i < table.size(); ++i) {
    w.Word(static_cast<uint16_t>(table[i].flags | (i + 1 == table.size() ? kAcceleratorLast : 0)));
    w.Word(table[i].key);
    w.Word(table[i].id);
    w.Word(0);
  }
  return w.bytes;
}

std::vector<uint8_t> LayoutImageGroup(const ImageGroup& g) {
  Writer w;
  w.Word(0);
  w.Word(g.cursor ? 2 : 1);
  w.Word(static_cast<uint16_t>(g.images.size()));
  for (const GroupImage& i : g.images) {
    if (g.cursor) {
      w.Word(i.width);
      w.Word(i.height);
    } else {
      w.Byte(static_cast<uint8_t>(i.width));
      w.Byte(static_cast<uint8_t>(i.height));
      w.Byte(i.colors);
      w.Byte(i.reserved);
    }
    w.Word(i.planes);
    w.Word(i.bitCount);
    w.Dword(i.bytes);
    w.Word(i.id);
  }
  return w.bytes;
}

std::vector<uint8_t> LayoutToolbar(const ToolbarTemplate& t) {
  Writer w;
  w.Word(1);
  w.Word(t.width);
  w.Word(t.height);
  w.Word(static_cast<uint16_t>(t.buttons.size()));
  for (uint16_t id : t.buttons) w.Word(id);
  return w.bytes;
}

std::vector<uint8_t> LayoutFontDirectory(const FontDirectory& d) {
  Writer w;
  w.Word(static_cast<uint16_t>(d.fonts.size()));
  for (const FontDirEntry& f : d.fonts) {
    w.Word(f.number);
    w.Append(f.header);
    for (const std::string* name : {&f.device, &f.face}) {
      for (char c : *name) w.Byte(static_cast<uint8_t>(c));
      w.Byte(0);
    }
  }
  return w.bytes;
}

}  // namespace res
}  // namespace package
