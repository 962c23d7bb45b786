#pragma once
// The statement parser behind CompileScript: one pass over the preprocessed
// tokens that turns each resource statement into .res entries. Menus,
// dialogs and version records are read into trees (rc_layout.h), which the
// layout module turns into bytes. The parser's
// parts live by statement family: rc_parser.cpp (token access, values, the
// parts statements share, the statement driver), rc_data.cpp (RCDATA,
// user-defined types, resources from files, icons and bitmaps), rc_menu.cpp,
// rc_dialog.cpp, rc_strings.cpp (string tables and accelerators) and
// rc_version.cpp.

#include <cstdint>
#include <map>
#include <set>
#include <tuple>
#include <string>
#include <utility>
#include <vector>

#include "package/rc/rc_layout.h"
#include "package/rc/rc_preprocess.h"
#include "package/rc/rc_tokens.h"
#include "package/res/res_file.h"

namespace package {
namespace rc {

constexpr uint32_t kWsPopup = 0x80000000;
constexpr uint32_t kWsChild = 0x40000000;
constexpr uint32_t kWsVisible = 0x10000000;
constexpr uint32_t kWsCaption = 0x00C00000;
constexpr uint32_t kWsBorder = 0x00800000;
constexpr uint32_t kWsSysMenu = 0x00080000;
constexpr uint32_t kWsGroup = 0x00020000;
constexpr uint32_t kWsTabStop = 0x00010000;

// The predefined window classes a dialog template names by number.
constexpr uint16_t kAtomButton = 0x80;
constexpr uint16_t kAtomEdit = 0x81;
constexpr uint16_t kAtomStatic = 0x82;
constexpr uint16_t kAtomListBox = 0x83;
constexpr uint16_t kAtomScrollBar = 0x84;
constexpr uint16_t kAtomComboBox = 0x85;

// Deeper menus or version blocks than any real script has are refused
// rather than recursed into.
constexpr int kMaxNesting = 32;

constexpr uint16_t kMemDefault = kMemMoveable | kMemPure;
// Types the .res format header leaves to the statements that make them.
constexpr uint16_t kRtFontDir = 7;
constexpr uint16_t kRtFont = 8;
constexpr uint16_t kRtGroupCursor = 12;
constexpr uint16_t kRtToolbar = 241;

constexpr uint16_t kMemDefaultDiscardable = kMemMoveable | kMemPure | kMemDiscardable;

inline std::u16string Upper(std::u16string s) {
  for (char16_t& c : s) {
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  }
  return s;
}

inline std::u16string Widen(const std::string& ascii) { return DecodeCodePage(ascii, 1252); }

class Parser {
 public:
  Parser(const PreprocessedScript& src, const FileReader& reader, std::vector<ResEntry>& entries,
         std::vector<Diagnostic>& diags, uint16_t language = kLangEnglishUs)
      : t_(src.tokens), files_(src.files), systemHeaders_(src.systemHeaders), reader_(reader),
        entries_(entries), diags_(diags), language_(language) {
    scriptDir_ = DirectoryOf(src.files[0]);
  }

  bool Run();

 private:
  // ---- Token access and faults

  const Token* Peek(size_t ahead = 0) const;

  bool FailAt(const Token* at, const std::string& message, int line = 0);
  bool Fail(const std::string& message) { return FailAt(Peek(), message); }

  static std::string Shown(const Token* t);

  bool AcceptWord(const char* w);
  bool AcceptPunct(const char* p);
  bool Comma();

  static bool IsBegin(const Token* t) { return t && (IsWord(*t, "BEGIN") || IsPunct(*t, "{")); }
  static bool IsEnd(const Token* t) { return t && (IsWord(*t, "END") || IsPunct(*t, "}")); }

  bool Begin(const char* what);
  // True while inside a block; false at its END (consumed) or on a fault.
  bool More();

  // ---- Values

  bool Number(int64_t& value);

  bool Number16(uint16_t& out, const char* what);

  bool Number32(uint32_t& out);

  bool Coordinate(int16_t& out);

  // A style: names and numbers joined by '|', where "NOT x" clears x from
  // what the statement sets by default.
  bool Style(uint32_t& value);

  bool Text(std::u16string& out, const char* what);

  // A resource name: a number, or a word or string (upper-cased). A word
  // the included Windows headers define is its number.
  bool ResName(ResId& id);

  // ---- Statement parts shared by several resource types

  void MemoryOptions(uint16_t& flags);

  bool Language(uint16_t& language);

  // LANGUAGE, VERSION and CHARACTERISTICS before a resource's body. Sets
  // `taken` when one was read.
  bool CommonOption(ResEntry& e, bool& taken);

  bool CommonOptions(ResEntry& e);

  bool Add(ResEntry& e, const Token* at);

  // A file's bytes: from the file a name gives, or from a block of quoted
  // hexadecimal data that holds the whole file.
  bool FileData(std::vector<uint8_t>& data, const char* what);
  bool HexBlock(std::vector<uint8_t>& data);

  // ---- Statements

  void Statement();

  // RCDATA and user-defined types: a file, or numbers and strings in a block.
  void UserData(ResEntry& e, const Token* at, const ResId& type);

  bool RawData(std::vector<uint8_t>& data);

  void FileResource(ResEntry& e, const Token* at, const ResId& type);

  void Bitmap(ResEntry& e, const Token* at);

  // ICON (a group of icons) or CURSOR (a group of cursors) from a file.
  void Icon(ResEntry& e, const Token* at, bool cursor);

  void Toolbar(ResEntry& e, const Token* at);

  // FONT from a .fnt file; the font directory that lists every font is
  // added once the script is read.
  void Font(ResEntry& e, const Token* at);

  void FlushFontDirectory();

  // ---- STRINGTABLE

  struct StringBlock {
    std::u16string text[16];
    bool present[16] = {};
  };

  void StringTable();

  void FlushStringTables();

  // ---- MENU

  void MenuOptions(uint16_t& flags);

  // The rest of an item after its text.
  bool MenuItemTail(MenuItem& item, bool extended);

  // The optional numbers after a MENUEX item's text, each of which may be
  // left empty: [, [id] [, [type] [, [state] [, help id]]]].
  bool MenuExFields(uint32_t* const fields[], size_t count);

  bool MenuItems(std::vector<MenuItem>& items, bool extended, int depth = 0);

  // MENU, or MENUEX when `extended`.
  void Menu(ResEntry& e, const Token* at, bool extended);

  // ---- DIALOG and DIALOGEX

  bool ControlText(ResId& text);

  bool ControlClass(ResId& cls);

  bool ControlId(uint32_t& id, bool extended);

  bool Rectangle(DialogControl& c);

  // The optional tail: [, style [, exstyle [, help id]]].
  bool StyleTail(DialogControl& c, bool withStyle, bool extended);

  bool Control(std::vector<DialogControl>& controls, bool extended);

  // The statements between DIALOG's rectangle and its block.
  bool DialogOptions(ResEntry& e, DialogTemplate& d);
  void Dialog(ResEntry& e, const Token* at, bool extended);

  // ---- ACCELERATORS

  void Accelerators(ResEntry& e, const Token* at);

  // ---- VERSIONINFO

  bool VersionQuad(uint32_t& ms, uint32_t& ls);

  bool VersionItems(std::vector<VersionNode>& items, int depth = 0);

  void VersionInfo(ResEntry& e, const Token* at);

  const std::vector<Token>& t_;
  const std::vector<std::string>& files_;
  // Resource names and types that are words stay names unless a Windows
  // header gives them a number, as in the other compilers.
  const bool systemHeaders_;
  const FileReader& reader_;
  std::vector<ResEntry>& entries_;
  std::vector<Diagnostic>& diags_;
  std::string scriptDir_;
  size_t pos_ = 0;
  bool failed_ = false;
  uint16_t language_;
  uint16_t nextIconId_ = 1;
  uint16_t nextCursorId_ = 1;
  // The type, name and language of every resource added, numbers before names.
  using IdKey = std::pair<uint32_t, std::u16string>;
  std::set<std::tuple<IdKey, IdKey, uint16_t>> added_;
  std::vector<size_t> fonts_;  // the FONT resources, by their place in entries_
  std::map<std::pair<uint16_t, uint16_t>, StringBlock> strings_;
  std::map<std::pair<uint16_t, uint16_t>, uint16_t> stringFlags_;
  std::vector<std::pair<uint16_t, uint16_t>> stringOrder_;
};

}  // namespace rc
}  // namespace package
