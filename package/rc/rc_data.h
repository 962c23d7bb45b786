#pragma once
// Resources of data: RCDATA and user-defined types (a block of numbers and
// strings, or a file), HTML and MESSAGETABLE from files, bitmaps, icons and
// cursors (a group and its images), toolbars, and fonts with the font
// directory that lists them. Icon and cursor groups, toolbars and the font
// directory are laid out from their trees (package/res/res_layout.h); the
// other bytes are the data itself.

#include "package/rc/rc_parser.h"

namespace package {
namespace rc {

class DataParser : public Parser {
 public:
  using Parser::Parser;

  // RCDATA and user-defined types: a file, or numbers and strings in a block.
  void UserData(ResEntry& e, const Token* at, const ResId& type);
  void FileResource(ResEntry& e, const Token* at, const ResId& type);
  void Bitmap(ResEntry& e, const Token* at);
  // ICON (a group of icons) or CURSOR (a group of cursors) from a file.
  void Icon(ResEntry& e, const Token* at, bool cursor);
  void Toolbar(ResEntry& e, const Token* at);
  // FONT from a .fnt file; the font directory that lists every font is
  // added once the script is read.
  void Font(ResEntry& e, const Token* at);
  void FlushFontDirectory();

 private:
  bool RawData(std::vector<uint8_t>& data);

  uint16_t nextIconId_ = 1;
  uint16_t nextCursorId_ = 1;
  std::vector<size_t> fonts_;  // the FONT resources, by their place in entries
};

}  // namespace rc
}  // namespace package
