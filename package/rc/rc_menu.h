#pragma once
// MENU and MENUEX statements: items and pop-ups read into a MenuTemplate.

#include "package/rc/rc_parser.h"

namespace package {
namespace rc {

class MenuParser : public Parser {
 public:
  using Parser::Parser;

  // MENU, or MENUEX when `extended`, after its name and type word.
  void Menu(ResEntry& e, const Token* at, bool extended);

 private:
  void MenuOptions(uint16_t& flags);
  // The rest of an item after its text.
  bool MenuItemTail(MenuItem& item, bool extended);
  // The optional numbers after a MENUEX item's text, each of which may be
  // left empty: [, [id] [, [type] [, [state] [, help id]]]].
  bool MenuExFields(uint32_t* const fields[], size_t count);
  bool MenuItems(std::vector<MenuItem>& items, bool extended, int depth = 0);
};

}  // namespace rc
}  // namespace package
