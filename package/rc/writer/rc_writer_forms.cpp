// The script writer's statements: dialogs, menus, accelerators, string
// tables, version records and toolbars from their trees, and the icon,
// cursor and bitmap files their statements read.

#include "package/rc/writer/rc_writer_forms.h"

#include <cstdio>

#include "package/rc/rc_tokens.h"
#include "package/res/res_reader.h"

namespace package {
namespace rc {
namespace writer {

namespace {

constexpr uint32_t kWsChild = 0x40000000, kWsVisible = 0x10000000, kWsCaption = 0x00C00000;

std::string Decimal(int64_t v) { return std::to_string(v); }

// A control's or dialog's text, menu or class: a number or a literal.
std::string IdText(const ResId& id) { return id.numeric ? Decimal(id.number) : WideLiteral(id.text); }

// A CONTROL starts from WS_CHILD | WS_VISIBLE: a style without them clears them first.
std::string ControlStyle(uint32_t style) {
  const uint32_t implied = kWsChild | kWsVisible;
  if ((style & implied) == implied) return Hex(style);
  return "NOT " + Hex(implied) + " | " + Hex(style);
}

bool Control(const DialogControl& c, bool extended, std::string& out, std::string& why) {
  if (!c.creationData.empty()) {
    why = "a control has creation data, which no control statement writes";
    return false;
  }
  if (!c.windowClass.numeric) {
    static const char16_t* const kAtomNames[] = {u"BUTTON", u"EDIT", u"STATIC", u"LISTBOX", u"SCROLLBAR",
                                                 u"COMBOBOX"};
    std::u16string upper = c.windowClass.text;
    for (char16_t& ch : upper) ch = (ch >= u'a' && ch <= u'z') ? static_cast<char16_t>(ch - 32) : ch;
    for (const char16_t* name : kAtomNames) {
      if (upper == name) {
        why = "a control's class is the name of a predefined class, which the statement writes as its number";
        return false;
      }
    }
  }
  // The predefined classes by name, as the statement turns them into their numbers.
  static const char* const kAtomWords[] = {"BUTTON", "EDIT", "STATIC", "LISTBOX", "SCROLLBAR", "COMBOBOX"};
  const bool atom = c.windowClass.numeric && c.windowClass.number >= 0x80 && c.windowClass.number <= 0x85;
  out += "  CONTROL " + IdText(c.text) + ", " + (extended ? Hex(c.id) : Decimal(c.id)) + ", " +
         (atom ? std::string(kAtomWords[c.windowClass.number - 0x80]) : IdText(c.windowClass)) + ", " + ControlStyle(c.style) + ", " + Decimal(c.x) + ", " + Decimal(c.y) + ", " +
         Decimal(c.cx) + ", " + Decimal(c.cy);
  if (c.exStyle != 0 || c.helpId != 0) out += ", " + Hex(c.exStyle);
  if (c.helpId != 0) out += ", " + Hex(c.helpId);
  out += "\n";
  return true;
}

bool MenuOptions(uint16_t flags, std::string& out, std::string& why) {
  static const struct {
    const char* word;
    uint16_t flag;
  } kOptions[] = {{"GRAYED", 0x0001},      {"INACTIVE", 0x0002}, {"CHECKED", 0x0008},
                  {"MENUBARBREAK", 0x0020}, {"MENUBREAK", 0x0040}, {"HELP", 0x4000}};
  for (const auto& o : kOptions) {
    if (flags & o.flag) {
      out += std::string(", ") + o.word;
      flags = static_cast<uint16_t>(flags & ~o.flag);
    }
  }
  if (flags == 0) return true;
  why = "a menu item has flags " + Hex(flags) + ", which no menu option sets";
  return false;
}

bool MenuItems(const std::vector<MenuItem>& items, bool extended, const std::string& indent, std::string& out,
               std::string& why) {
  out += indent + "BEGIN\n";
  for (const MenuItem& m : items) {
    if (m.popup && m.children.empty()) {
      why = "a pop-up menu has no items, which POPUP cannot write";
      return false;
    }
    out += indent + "  " + (m.popup ? "POPUP " : "MENUITEM ");
    if (extended) {
      out += WideLiteral(m.text) + ", " + Hex(m.id) + ", " + Hex(m.type) + ", " + Hex(m.state);
      if (m.popup) out += ", " + Hex(m.helpId);
    } else if (!m.popup && m.flags == 0 && m.id == 0 && m.text.empty()) {
      out += "SEPARATOR";
    } else {
      out += WideLiteral(m.text);
      if (!m.popup) out += ", " + Decimal(m.id);
      if (!MenuOptions(m.flags, out, why)) return false;
    }
    out += "\n";
    if (m.popup && !MenuItems(m.children, extended, indent + "  ", out, why)) return false;
  }
  out += indent + "END\n";
  return true;
}

bool VersionItems(const std::vector<VersionNode>& nodes, const std::string& indent, std::string& out,
                  std::string& why) {
  out += indent + "BEGIN\n";
  for (const VersionNode& n : nodes) {
    const bool block = !n.children.empty() || (n.type == 1 && n.valueLength == 0);
    if (block) {
      if (n.type != 1 || n.valueLength != 0 || !n.value.empty()) {
        why = "version block " + std::string(WideLiteral(n.key)) + " has a value of its own (type " +
              Decimal(n.type) + ", length " + Decimal(n.valueLength) + ")";
        return false;
      }
      out += indent + "  BLOCK " + WideLiteral(n.key) + "\n";
      if (!VersionItems(n.children, indent + "  ", out, why)) return false;
      continue;
    }
    out += indent + "  VALUE " + WideLiteral(n.key);
    if (n.type == 0) {
      if (n.value.empty() || n.value.size() % 2 != 0 || n.valueLength != n.value.size()) {
        why = "a binary version value of " + Decimal(static_cast<int64_t>(n.value.size())) +
              " bytes is no whole number of words";
        return false;
      }
      for (size_t i = 0; i < n.value.size(); i += 2) out += ", " + Hex(n.value[i] | (n.value[i + 1] << 8));
    } else {
      std::u16string s;
      for (size_t i = 0; i + 1 < n.value.size(); i += 2) s.push_back(static_cast<char16_t>(n.value[i] | (n.value[i + 1] << 8)));
      if (s.empty() || s.back() != u'\0') {
        why = "a version text has no terminating zero";
        return false;
      }
      s.pop_back();
      // The statement drops one explicit "\0" at the end, so a text that ends in one gets another.
      if (!s.empty() && s.back() == u'\0') s.push_back(u'\0');
      out += ", " + WideLiteral(s);
    }
    out += "\n";
  }
  out += indent + "END\n";
  return true;
}

}  // namespace

std::string Hex(uint32_t v) {
  char text[16];
  snprintf(text, sizeof text, "0x%X", v);
  return text;
}

std::string NameText(const ResId& id) { return id.numeric ? Decimal(id.number) : WideLiteral(id.text); }

bool MemoryWords(uint16_t defaults, uint16_t flags, std::string& words) {
  static const struct {
    uint16_t flag;
    const char* set;
    const char* clear;
  } kWords[] = {{kMemMoveable, "MOVEABLE", "FIXED"},
                {kMemPure, "PURE", "IMPURE"},
                {kMemPreload, "PRELOAD", "LOADONCALL"},
                {kMemDiscardable, "DISCARDABLE", nullptr}};
  words.clear();
  uint16_t known = 0;
  for (const auto& w : kWords) {
    known = static_cast<uint16_t>(known | w.flag);
    const bool want = (flags & w.flag) != 0, has = (defaults & w.flag) != 0;
    if (want == has) continue;
    if (!want && !w.clear) return false;
    words += std::string(" ") + (want ? w.set : w.clear);
  }
  return (flags & ~known) == (defaults & ~known);
}

bool DialogText(const DialogTemplate& d, const std::string& head, const std::string& common, std::string& out,
                std::string& why) {
  if (!d.caption.empty() && (d.style & kWsCaption) != kWsCaption) {
    why = "the dialog has a caption but not the WS_CAPTION style that CAPTION adds";
    return false;
  }
  out = head + " " + Decimal(d.frame.x) + ", " + Decimal(d.frame.y) + ", " + Decimal(d.frame.cx) + ", " +
        Decimal(d.frame.cy);
  if (d.helpId != 0) out += ", " + Hex(d.helpId);
  out += common + "\nSTYLE " + Hex(d.style) + "\n";
  if (d.exStyle != 0) out += "EXSTYLE " + Hex(d.exStyle) + "\n";
  if (!d.caption.empty()) out += "CAPTION " + WideLiteral(d.caption) + "\n";
  if (d.hasMenu) {
    if (!d.menu.numeric && d.menu.text != [&] {
          std::u16string u = d.menu.text;
          for (char16_t& ch : u) ch = (ch >= u'a' && ch <= u'z') ? static_cast<char16_t>(ch - 32) : ch;
          return u;
        }()) {
      why = "the dialog's menu is named in small letters, which MENU writes in capitals";
      return false;
    }
    out += "MENU " + NameText(d.menu) + "\n";
  }
  if (d.hasClass) out += "CLASS " + IdText(d.windowClass) + "\n";
  if (d.style & kDsSetFont) {
    out += "FONT " + Decimal(d.pointSize) + ", " + WideLiteral(d.face);
    if (d.extended) out += ", " + Decimal(d.weight) + ", " + Decimal(d.italic) + ", " + Decimal(d.charset);
    out += "\n";
  }
  out += "BEGIN\n";
  for (const DialogControl& c : d.controls) {
    if (!Control(c, d.extended, out, why)) return false;
  }
  out += "END\n";
  return true;
}

bool MenuText(const MenuTemplate& m, const std::string& head, const std::string& common, std::string& out,
              std::string& why) {
  if (m.items.empty()) {
    why = "the menu has no items, which the statement cannot write";
    return false;
  }
  if (m.helpId != 0) {
    why = "the menu has a help id of its own, which MENUEX does not write";
    return false;
  }
  out = head + common + "\n";
  return MenuItems(m.items, m.extended, "", out, why);
}

bool AcceleratorText(const std::vector<Accelerator>& table, const std::string& head, const std::string& common,
                     std::string& out, std::string& why) {
  static const struct {
    uint16_t flag;
    const char* word;
  } kFlags[] = {{0x01, "VIRTKEY"}, {0x02, "NOINVERT"}, {0x04, "SHIFT"}, {0x08, "CONTROL"}, {0x10, "ALT"}};
  if (table.empty()) {
    why = "the accelerator table is empty";
    return false;
  }
  out = head + common + "\nBEGIN\n";
  for (const Accelerator& a : table) {
    if (a.flags & ~0x1F) {
      why = "an accelerator has flags " + Hex(a.flags) + ", which no option sets";
      return false;
    }
    out += "  " + Decimal(a.key) + ", " + Decimal(a.id);
    for (const auto& f : kFlags) {
      if (a.flags & f.flag) out += std::string(", ") + f.word;
    }
    out += "\n";
  }
  out += "END\n";
  return true;
}

bool StringTableText(const StringBlock& b, uint16_t block, const std::string& options, std::string& out,
                     std::string& why) {
  if (block == 0) {
    why = "string block 0 holds no string numbers";
    return false;
  }
  out = "STRINGTABLE" + options + "\nBEGIN\n";
  const int64_t first = (static_cast<int64_t>(block) - 1) * 16;
  bool any = false;
  for (int i = 0; i < 16; ++i) {
    // An empty string and an absent one are laid out alike; one is written
    // all the same when all are empty, so that the block is made.
    if (b.text[i].empty() && (any || i < 15)) continue;
    out += "  " + Decimal(first + i) + ", " + WideLiteral(b.text[i]) + "\n";
    any = true;
  }
  out += "END\n";
  return true;
}

bool VersionText(const VersionNode& root, const std::string& head, const std::string& common, std::string& out,
                 std::string& why) {
  uint32_t fixed[kFixedInfoWords] = {};
  if (!ReadFixedInfo(root, fixed) || fixed[1] != 0x00010000 || fixed[11] != 0 || fixed[12] != 0) {
    why = "the fixed information has a structure version or file date that VERSIONINFO does not write";
    return false;
  }
  auto quad = [](uint32_t ms, uint32_t ls) {
    return Decimal(ms >> 16) + ", " + Decimal(ms & 0xFFFF) + ", " + Decimal(ls >> 16) + ", " + Decimal(ls & 0xFFFF);
  };
  out = head + common + "\nFILEVERSION " + quad(fixed[2], fixed[3]) + "\nPRODUCTVERSION " + quad(fixed[4], fixed[5]) +
        "\nFILEFLAGSMASK " + Hex(fixed[6]) + "\nFILEFLAGS " + Hex(fixed[7]) + "\nFILEOS " + Hex(fixed[8]) +
        "\nFILETYPE " + Hex(fixed[9]) + "\nFILESUBTYPE " + Hex(fixed[10]) + "\n";
  return VersionItems(root.children, "", out, why);
}

bool ToolbarText(const ToolbarTemplate& t, const std::string& head, const std::string& common, std::string& out,
                 std::string& why) {
  (void)why;
  out = head + " " + Decimal(t.width) + ", " + Decimal(t.height) + common + "\nBEGIN\n";
  for (uint16_t id : t.buttons) out += id == 0 ? "  SEPARATOR\n" : "  BUTTON " + Decimal(id) + "\n";
  out += "END\n";
  return true;
}

std::string HexBlock(const std::vector<uint8_t>& bytes) {
  constexpr size_t kPerLine = 32;
  static const char kDigits[] = "0123456789ABCDEF";
  std::string block = "BEGIN\n";
  for (size_t i = 0; i < bytes.size(); i += kPerLine) {
    block += "  '";
    for (size_t k = i; k < bytes.size() && k < i + kPerLine; ++k) {
      if (k > i) block.push_back(' ');
      block.push_back(kDigits[bytes[k] >> 4]);
      block.push_back(kDigits[bytes[k] & 15]);
    }
    block += "'\n";
  }
  return block + "END";
}

}  // namespace writer
}  // namespace rc
}  // namespace package
