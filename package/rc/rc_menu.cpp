// MENU and MENUEX statements.

#include "package/rc/rc_menu.h"

namespace package {
namespace rc {

namespace {
constexpr char kOptionExpected[] =
    "menu option (GRAYED, INACTIVE, CHECKED, MENUBARBREAK, MENUBREAK, HELP) expected after ',', "
    "found ";
}  // namespace

void MenuParser::MenuOptions(uint16_t& flags) {
  static const struct {
    const char* word;
    uint16_t flag;
  } kOptions[] = {{"GRAYED", 0x0001},      {"INACTIVE", 0x0002}, {"CHECKED", 0x0008},
                  {"MENUBARBREAK", 0x0020}, {"MENUBREAK", 0x0040}, {"HELP", 0x4000}};
  for (;;) {
    // Options follow the id or text after a comma, or one another; a
    // comma with no option after it is refused, as the other compilers do.
    const bool comma = AcceptPunct(",");
    bool found = false;
    for (const auto& o : kOptions) {
      if (AcceptWord(o.word)) {
        flags |= o.flag;
        found = true;
        break;
      }
    }
    if (!found) {
      if (comma) Fail(kOptionExpected + Shown(Peek()) + DidYouMean(Peek(), kKeywords, true));
      return;
    }
  }
}

// The rest of an item after its text: MENU's id and options, or MENUEX's
// numbers; a pop-up takes MENU's options or MENUEX's numbers and help id.
bool MenuParser::MenuItemTail(MenuItem& item, bool extended) {
  if (extended) {
    uint32_t* const fields[] = {&item.id, &item.type, &item.state, &item.helpId};
    return MenuExFields(fields, item.popup ? 4 : 3);
  }
  if (!item.popup) {
    if (!Comma("the menu item's text")) return false;
    uint16_t id = 0;
    if (!Number16(id, "menu item id")) return false;
    item.id = id;
  }
  MenuOptions(item.flags);
  return !s_.failed;
}

bool MenuParser::MenuExFields(uint32_t* const fields[], size_t count) {
  for (size_t i = 0; i < count && AcceptPunct(","); ++i) {
    const Token* t = Peek();
    const bool empty = !t || IsPunct(*t, ",") || IsBegin(t) || IsEnd(t) || IsWord(*t, "MENUITEM") ||
                       IsWord(*t, "POPUP");
    if (!empty && !Number32(*fields[i])) return false;
  }
  return true;
}

bool MenuParser::MenuItems(std::vector<MenuItem>& items, bool extended, int depth) {
  if (depth > kMaxNesting) return Fail("menu nested too deeply");
  if (!Begin("for the menu items")) return false;
  while (More()) {
    MenuItem item;
    const Token* at = Peek();
    if (AcceptWord("MENUITEM")) {
      // A separator is an item with no text, options or id (in MENUEX, no type).
      if (!AcceptWord("SEPARATOR") && (!Text(item.text, "the menu item") || !MenuItemTail(item, extended)))
        return false;
    } else if (AcceptWord("POPUP")) {
      item.popup = true;
      if (!Text(item.text, "the pop-up menu") || !MenuItemTail(item, extended) ||
          !MenuItems(item.children, extended, depth + 1))
        return false;
      if (item.children.empty()) return FailAt(at, "POPUP has no items");
    } else {
      return Fail("MENUITEM, POPUP or END expected, found " + Shown(at) +
                  DidYouMean(at, kKeywords, true));
    }
    items.push_back(item);
  }
  return !s_.failed;
}

void MenuParser::Menu(ResEntry& e, const Token* at, bool extended) {
  e.type = ResId::Number(kRtMenu);
  e.memoryFlags = kMemDefaultDiscardable;
  MemoryOptions(e.memoryFlags);
  MenuTemplate m;
  m.extended = extended;
  if (!CommonOptions(e) || !MenuItems(m.items, extended)) return;
  if (m.items.empty()) {
    FailAt(at, extended ? "MENUEX has no items" : "MENU has no items");
    return;
  }
  e.data = LayoutMenu(m);
  Add(e, at);
}

}  // namespace rc
}  // namespace package
