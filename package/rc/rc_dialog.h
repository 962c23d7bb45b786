#pragma once
// DIALOG and DIALOGEX statements: the options and controls of a dialog read
// into a DialogTemplate, and the window styles and classes they default to.

#include "package/rc/rc_parser.h"

namespace package {
namespace rc {

class DialogParser : public Parser {
 public:
  using Parser::Parser;

  // DIALOG, or DIALOGEX when `extended`, after its name and type word.
  void Dialog(ResEntry& e, const Token* at, bool extended);

 private:
  bool ControlText(ResId& text);
  bool ControlClass(ResId& cls);
  bool ControlId(uint32_t& id, bool extended);
  bool Rectangle(DialogControl& c);
  // The optional tail: [, style [, exstyle [, help id]]].
  bool StyleTail(DialogControl& c, bool withStyle, bool extended);
  bool Control(std::vector<DialogControl>& controls, bool extended);
  // The statements between DIALOG's rectangle and its block.
  bool DialogOptions(ResEntry& e, DialogTemplate& d);
  bool DialogClass(DialogTemplate& d);
  bool DialogFont(DialogTemplate& d);
};

}  // namespace rc
}  // namespace package
