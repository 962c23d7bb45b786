// DIALOG and DIALOGEX statements and their controls.

#include "package/rc/rc_parser.h"

#include "package/rc/rc_symbols.h"

namespace package {
namespace rc {

namespace {

enum class ControlShape { TextAndId, IdOnly, Generic, Icon };

struct ControlKind {
  const char* word;
  ControlShape shape;
  uint16_t atom;
  uint32_t style;
  bool styleReplaces = false;  // a written style replaces `style` rather than adds to it
};

const ControlKind kControlKinds[] = {
    {"LTEXT", ControlShape::TextAndId, kAtomStatic, 0x0000 | kWsGroup},
    {"RTEXT", ControlShape::TextAndId, kAtomStatic, 0x0002 | kWsGroup},
    {"CTEXT", ControlShape::TextAndId, kAtomStatic, 0x0001 | kWsGroup},
    {"PUSHBUTTON", ControlShape::TextAndId, kAtomButton, 0x0000 | kWsTabStop},
    {"DEFPUSHBUTTON", ControlShape::TextAndId, kAtomButton, 0x0001 | kWsTabStop},
    {"PUSHBOX", ControlShape::TextAndId, kAtomButton, 0x000A | kWsTabStop},
    {"CHECKBOX", ControlShape::TextAndId, kAtomButton, 0x0002 | kWsTabStop},
    {"AUTOCHECKBOX", ControlShape::TextAndId, kAtomButton, 0x0003 | kWsTabStop},
    {"RADIOBUTTON", ControlShape::TextAndId, kAtomButton, 0x0004 | kWsTabStop},
    {"AUTORADIOBUTTON", ControlShape::TextAndId, kAtomButton, 0x0009 | kWsTabStop},
    {"STATE3", ControlShape::TextAndId, kAtomButton, 0x0005 | kWsTabStop},
    {"AUTO3STATE", ControlShape::TextAndId, kAtomButton, 0x0006 | kWsTabStop},
    {"GROUPBOX", ControlShape::TextAndId, kAtomButton, 0x0007},
    {"EDITTEXT", ControlShape::IdOnly, kAtomEdit, 0x0000 | kWsBorder | kWsTabStop},
    {"LISTBOX", ControlShape::IdOnly, kAtomListBox, 0x0001 | kWsBorder},
    {"COMBOBOX", ControlShape::IdOnly, kAtomComboBox, 0x0001 | kWsTabStop, true},
    {"SCROLLBAR", ControlShape::IdOnly, kAtomScrollBar, 0x0000},
    {"ICON", ControlShape::Icon, kAtomStatic, 0x0003},
    {"CONTROL", ControlShape::Generic, 0, 0},
};

const struct {
  const char* name;
  uint16_t atom;
} kClassNames[] = {{"BUTTON", kAtomButton},       {"EDIT", kAtomEdit},
                   {"STATIC", kAtomStatic},       {"LISTBOX", kAtomListBox},
                   {"SCROLLBAR", kAtomScrollBar}, {"COMBOBOX", kAtomComboBox}};

}  // namespace

bool Parser::ControlText(ResId& text) {
  const Token* t = Peek();
  int64_t v = 0;
  if (t && t->kind == TokenKind::String) {
    text = ResId::Text(StringText(*t));
    ++pos_;
    return true;
  }
  if (t && t->kind == TokenKind::Identifier && !LookupBuiltinSymbol(t->text, v)) {
    text = ResId::Text(Widen(t->text));
    ++pos_;
    return true;
  }
  uint16_t n = 0;
  if (!Number16(n, "control text number")) return false;
  text = ResId::Number(n);
  return true;
}

bool Parser::ControlClass(ResId& cls) {
  const Token* t = Peek();
  std::u16string name;
  if (t && t->kind == TokenKind::String) {
    name = StringText(*t);
  } else if (t && t->kind == TokenKind::Identifier) {
    name = Widen(t->text);
    std::string text;
    if (LookupBuiltinString(t->text, text)) name = Widen(text);
    bool known = LookupBuiltinString(t->text, text);
    for (const auto& c : kClassNames) known = known || Upper(name) == Widen(c.name);
    if (!known) return Fail("unknown control class '" + t->text + "'");
  } else {
    uint16_t n = 0;
    if (!Number16(n, "control class")) return false;
    cls = ResId::Number(n);
    return true;
  }
  ++pos_;
  for (const auto& c : kClassNames) {
    if (Upper(name) == Widen(c.name)) {
      cls = ResId::Number(c.atom);
      return true;
    }
  }
  cls = ResId::Text(name);
  return true;
}

bool Parser::ControlId(uint32_t& id, bool extended) {
  const Token* at = Peek();
  int64_t v = 0;
  if (!Number(v)) return false;
  if (!extended && (v < -32768 || v > 65535)) return FailAt(at, "control id does not fit in 16 bits");
  id = static_cast<uint32_t>(v);
  return true;
}

bool Parser::Rectangle(DialogControl& c) {
  return Coordinate(c.x) && Comma() && Coordinate(c.y) && Comma() && Coordinate(c.cx) && Comma() &&
         Coordinate(c.cy);
}

bool Parser::StyleTail(DialogControl& c, bool withStyle, bool extended) {
  if (withStyle) {
    if (!AcceptPunct(",")) return true;
    if (!Style(c.style)) return false;
  }
  if (!AcceptPunct(",")) return true;
  if (!Number32(c.exStyle)) return false;
  if (!AcceptPunct(",")) return true;
  if (!extended) return Fail("only DIALOGEX controls take a help id");
  return Number32(c.helpId);
}

bool Parser::Control(std::vector<DialogControl>& controls, bool extended) {
  const Token* t = Peek();
  const ControlKind* kind = nullptr;
  for (const ControlKind& k : kControlKinds) {
    if (IsWord(*t, k.word)) kind = &k;
  }
  if (!kind) return Fail("control statement expected, found " + Shown(t));
  ++pos_;

  DialogControl c;
  c.windowClass = ResId::Number(kind->atom);
  c.style = kWsChild | kWsVisible | kind->style;
  switch (kind->shape) {
    case ControlShape::TextAndId:
      if (!ControlText(c.text) || !Comma() || !ControlId(c.id, extended) || !Comma() || !Rectangle(c) ||
          !StyleTail(c, true, extended))
        return false;
      break;
    case ControlShape::IdOnly:
      if (!ControlId(c.id, extended) || !Comma() || !Rectangle(c)) return false;
      if (kind->styleReplaces && Peek() && IsPunct(*Peek(), ",")) c.style = kWsChild | kWsVisible;
      if (!StyleTail(c, true, extended)) return false;
      break;
    case ControlShape::Icon:
      if (!ControlText(c.text) || !Comma() || !ControlId(c.id, extended) || !Comma() || !Coordinate(c.x) ||
          !Comma() || !Coordinate(c.y))
        return false;
      if (AcceptPunct(",")) {
        if (!Coordinate(c.cx) || !Comma() || !Coordinate(c.cy) || !StyleTail(c, true, extended)) return false;
      }
      break;
    case ControlShape::Generic:
      if (!ControlText(c.text) || !Comma() || !ControlId(c.id, extended) || !Comma() ||
          !ControlClass(c.windowClass) || !Comma() || !Style(c.style) || !Comma() || !Rectangle(c) ||
          !StyleTail(c, false, extended))
        return false;
      break;
  }
  controls.push_back(c);
  return true;
}

void Parser::Dialog(ResEntry& e, const Token* at, bool extended) {
  e.type = ResId::Number(kRtDialog);
  e.memoryFlags = kMemDefaultDiscardable;
  MemoryOptions(e.memoryFlags);

  DialogControl frame;
  if (!Rectangle(frame)) return;
  uint32_t helpId = 0;
  if (AcceptPunct(",")) {
    if (!extended) {
      Fail("only DIALOGEX takes a help id");
      return;
    }
    if (!Number32(helpId)) return;
  }

  uint32_t style = kWsPopup | kWsBorder | kWsSysMenu;
  uint32_t exStyle = 0;
  bool hasCaption = false, hasFont = false;
  std::u16string caption, face;
  ResId menu, cls;
  bool hasMenu = false, hasClass = false;
  uint16_t pointSize = 0, weight = 0;
  uint8_t italic = 0, charset = 1;
  for (;;) {
    bool taken = false;
    if (!CommonOption(e, taken)) return;
    if (taken) continue;
    if (AcceptWord("STYLE")) {
      style = 0;
      if (!Style(style)) return;
    } else if (AcceptWord("EXSTYLE")) {
      if (!Style(exStyle)) return;
    } else if (AcceptWord("CAPTION")) {
      hasCaption = true;
      if (!Text(caption, "CAPTION")) return;
    } else if (AcceptWord("CLASS")) {
      hasClass = true;
      if (Peek() && Peek()->kind == TokenKind::String) {
        cls = ResId::Text(StringText(*Peek()));
        ++pos_;
      } else {
        uint16_t n = 0;
        if (!Number16(n, "dialog class")) return;
        cls = ResId::Number(n);
      }
    } else if (AcceptWord("MENU")) {
      hasMenu = true;
      if (!ResName(menu)) return;
    } else if (AcceptWord("FONT")) {
      hasFont = true;
      if (!Number16(pointSize, "font size") || !Comma() || !Text(face, "FONT")) return;
      if (AcceptPunct(",")) {
        if (!extended) {
          Fail("only DIALOGEX takes font weight, italic and character set");
          return;
        }
        uint16_t v = 0;
        if (!Number16(weight, "font weight")) return;
        if (AcceptPunct(",")) {
          if (!Number16(v, "italic flag")) return;
          italic = static_cast<uint8_t>(v);
          if (AcceptPunct(",")) {
            if (!Number16(v, "character set")) return;
            charset = static_cast<uint8_t>(v);
          }
        }
      }
    } else {
      break;
    }
  }
  if (hasCaption) style |= kWsCaption;
  if (hasFont) style |= kDsSetFont;

  std::vector<DialogControl> controls;
  if (!Begin("for the dialog's controls")) return;
  while (More()) {
    if (!Control(controls, extended)) return;
  }
  if (failed_) return;
  if (controls.size() > 65535) {
    FailAt(at, "too many controls");
    return;
  }

  Writer w;
  if (extended) {
    w.Word(1);
    w.Word(0xFFFF);
    w.Dword(helpId);
    w.Dword(exStyle);
    w.Dword(style);
  } else {
    w.Dword(style);
    w.Dword(exStyle);
  }
  w.Word(static_cast<uint16_t>(controls.size()));
  w.Word(static_cast<uint16_t>(frame.x));
  w.Word(static_cast<uint16_t>(frame.y));
  w.Word(static_cast<uint16_t>(frame.cx));
  w.Word(static_cast<uint16_t>(frame.cy));
  if (hasMenu) w.NameOrOrdinal(menu); else w.Word(0);
  if (hasClass) w.NameOrOrdinal(cls); else w.Word(0);
  w.Text(caption);
  if (style & kDsSetFont) {
    w.Word(pointSize);
    if (extended) {
      w.Word(weight);
      w.Byte(italic);
      w.Byte(charset);
    }
    w.Text(face);
  }
  for (const DialogControl& c : controls) {
    w.Align4();
    if (extended) {
      w.Dword(c.helpId);
      w.Dword(c.exStyle);
      w.Dword(c.style);
    } else {
      w.Dword(c.style);
      w.Dword(c.exStyle);
    }
    w.Word(static_cast<uint16_t>(c.x));
    w.Word(static_cast<uint16_t>(c.y));
    w.Word(static_cast<uint16_t>(c.cx));
    w.Word(static_cast<uint16_t>(c.cy));
    if (extended) w.Dword(c.id); else w.Word(static_cast<uint16_t>(c.id));
    w.NameOrOrdinal(c.windowClass);
    w.NameOrOrdinal(c.text);
    w.Word(0);  // no creation data
  }
  e.data = w.bytes;
  Add(e, at);
}

}  // namespace rc
}  // namespace package
