// DIALOG and DIALOGEX statements and their controls.

#include "package/rc/rc_dialog.h"

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

bool DialogParser::ControlText(ResId& text) {
  const Token* t = Peek();
  int64_t v = 0;
  if (t && t->kind == TokenKind::String) {
    text = ResId::Text(StringText(*t));
    ++s_.pos;
    return true;
  }
  if (t && t->kind == TokenKind::Identifier && !LookupBuiltinSymbol(t->text, v)) {
    text = ResId::Text(Widen(t->text));
    ++s_.pos;
    return true;
  }
  uint16_t n = 0;
  if (!Number16(n, "control text number")) return false;
  text = ResId::Number(n);
  return true;
}

bool DialogParser::ControlClass(ResId& cls) {
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
  ++s_.pos;
  for (const auto& c : kClassNames) {
    if (Upper(name) == Widen(c.name)) {
      cls = ResId::Number(c.atom);
      return true;
    }
  }
  cls = ResId::Text(name);
  return true;
}

bool DialogParser::ControlId(uint32_t& id, bool extended) {
  const Token* at = Peek();
  int64_t v = 0;
  if (!Number(v)) return false;
  if (!extended && (v < -32768 || v > 65535)) return FailAt(at, "control id does not fit in 16 bits");
  id = static_cast<uint32_t>(v);
  return true;
}

bool DialogParser::Rectangle(DialogControl& c) {
  return Coordinate(c.x) && Comma("x") && Coordinate(c.y) && Comma("y") && Coordinate(c.cx) &&
         Comma("the width") && Coordinate(c.cy);
}

bool DialogParser::StyleTail(DialogControl& c, bool withStyle, bool extended) {
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

bool DialogParser::Control(std::vector<DialogControl>& controls, bool extended) {
  const Token* t = Peek();
  const ControlKind* kind = nullptr;
  for (const ControlKind& k : kControlKinds) {
    if (IsWord(*t, k.word)) kind = &k;
  }
  if (!kind)
    return Fail("control statement or END expected, found " + Shown(t) +
                DidYouMean(t, kKeywords, true));
  ++s_.pos;

  DialogControl c;
  c.windowClass = ResId::Number(kind->atom);
  c.style = kWsChild | kWsVisible | kind->style;
  switch (kind->shape) {
    case ControlShape::TextAndId:
      if (!ControlText(c.text) || !Comma("the control's text") || !ControlId(c.id, extended) ||
          !Comma("the control's id") || !Rectangle(c) || !StyleTail(c, true, extended))
        return false;
      break;
    case ControlShape::IdOnly:
      if (!ControlId(c.id, extended) || !Comma("the control's id") || !Rectangle(c)) return false;
      if (kind->styleReplaces && Peek() && IsPunct(*Peek(), ",")) c.style = kWsChild | kWsVisible;
      if (!StyleTail(c, true, extended)) return false;
      break;
    case ControlShape::Icon:
      if (!ControlText(c.text) || !Comma("the icon's name") || !ControlId(c.id, extended) ||
          !Comma("the control's id") || !Coordinate(c.x) || !Comma("x") || !Coordinate(c.y))
        return false;
      if (AcceptPunct(",")) {
        if (!Coordinate(c.cx) || !Comma("the width") || !Coordinate(c.cy) ||
            !StyleTail(c, true, extended))
          return false;
      }
      break;
    case ControlShape::Generic:
      if (!ControlText(c.text) || !Comma("the control's text") || !ControlId(c.id, extended) ||
          !Comma("the control's id") || !ControlClass(c.windowClass) ||
          !Comma("the control's class") || !Style(c.style) || !Comma("the control's style") ||
          !Rectangle(c) || !StyleTail(c, false, extended))
        return false;
      break;
  }
  controls.push_back(c);
  return true;
}

bool DialogParser::DialogOptions(ResEntry& e, DialogTemplate& d) {
  bool hasCaption = false, hasFont = false;
  for (;;) {
    bool taken = false;
    if (!CommonOption(e, taken)) return false;
    if (taken) continue;
    if (AcceptWord("STYLE")) {
      d.style = 0;
      if (!Style(d.style)) return false;
    } else if (AcceptWord("EXSTYLE")) {
      if (!Style(d.exStyle)) return false;
    } else if (AcceptWord("CAPTION")) {
      hasCaption = true;
      if (!Text(d.caption, "CAPTION")) return false;
    } else if (AcceptWord("CLASS")) {
      if (!DialogClass(d)) return false;
    } else if (AcceptWord("MENU")) {
      d.hasMenu = true;
      if (!ResName(d.menu)) return false;
    } else if (AcceptWord("FONT")) {
      hasFont = true;
      if (!DialogFont(d)) return false;
    } else {
      break;
    }
  }
  if (hasCaption) d.style |= kWsCaption;
  if (hasFont) d.style |= kDsSetFont;
  return true;
}

// CLASS "name", a class-name constant (BORDLGCLASS), or a number.
bool DialogParser::DialogClass(DialogTemplate& d) {
  d.hasClass = true;
  uint16_t n = 0;
  std::string known;
  const Token* t = Peek();
  if (t && (t->kind == TokenKind::String || (t->kind == TokenKind::Identifier && LookupBuiltinString(t->text, known)))) {
    d.windowClass = ResId::Text(t->kind == TokenKind::String ? StringText(*t) : Widen(known));
    ++s_.pos;
    return true;
  }
  if (!Number16(n, "dialog class")) return false;
  d.windowClass = ResId::Number(n);
  return true;
}

// FONT size, face [, weight [, italic [, character set]]]; the last three
// only in DIALOGEX.
bool DialogParser::DialogFont(DialogTemplate& d) {
  if (!Number16(d.pointSize, "font size") || !Comma("the font size") || !Text(d.face, "FONT"))
    return false;
  if (!AcceptPunct(",")) return true;
  if (!d.extended) return Fail("only DIALOGEX takes font weight, italic and character set");
  uint16_t v = 0;
  if (!Number16(d.weight, "font weight")) return false;
  if (!AcceptPunct(",")) return true;
  if (!Number16(v, "italic flag")) return false;
  d.italic = static_cast<uint8_t>(v);
  if (!AcceptPunct(",")) return true;
  if (!Number16(v, "character set")) return false;
  d.charset = static_cast<uint8_t>(v);
  return true;
}

void DialogParser::Dialog(ResEntry& e, const Token* at, bool extended) {
  e.type = ResId::Number(kRtDialog);
  e.memoryFlags = kMemDefaultDiscardable;
  MemoryOptions(e.memoryFlags);

  DialogTemplate d;
  d.extended = extended;
  d.style = kWsPopup | kWsBorder | kWsSysMenu;
  if (!Rectangle(d.frame)) return;
  if (AcceptPunct(",")) {
    if (!extended) {
      Fail("only DIALOGEX takes a help id");
      return;
    }
    if (!Number32(d.helpId)) return;
  }
  if (!DialogOptions(e, d) || !Begin("for the dialog's controls")) return;
  while (More()) {
    if (!Control(d.controls, extended)) return;
  }
  if (s_.failed) return;
  if (d.controls.size() > 65535) {
    FailAt(at, "too many controls");
    return;
  }
  e.data = LayoutDialog(d);
  Add(e, at);
}

}  // namespace rc
}  // namespace package
