// The statement driver: reads each statement's name and type and hands the
// rest to the family that reads that type (rc_parser.h lists them).

#include <cctype>

#include "package/rc/rc_data.h"
#include "package/rc/rc_dialog.h"
#include "package/rc/rc_menu.h"
#include "package/rc/rc_strings.h"
#include "package/rc/rc_symbols.h"
#include "package/rc/rc_version.h"

namespace package {
namespace rc {

namespace {

// Statements of other resource compilers and class libraries that this one
// refuses rather than misreads.
const char* const kUnsupportedTypes[] = {"FONTDIR", "ANICURSOR", "ANIICON", "PLUGPLAY", "VXD"};

constexpr uint16_t kRtDlgInit = 240;  // a class library's initial control data

class Statements : public Parser {
 public:
  explicit Statements(ParseState& state)
      : Parser(state), data_(state), menus_(state), dialogs_(state), strings_(state), versions_(state) {}

  bool Run() {
    while (!failed_ && pos_ < t_.size()) Statement();
    if (!failed_) {
      strings_.FlushStringTables();
      data_.FlushFontDirectory();
    }
    return !failed_;
  }

 private:
  void Statement();
  // A type given as a word: a statement of its own, or a user-defined type.
  void TypeWord(ResEntry& e, const Token* first, const Token* type);
  // A statement of the given type word; false when the word names none.
  bool Known(const std::string& word, ResEntry& e, const Token* first);

  DataParser data_;
  MenuParser menus_;
  DialogParser dialogs_;
  StringParser strings_;
  VersionParser versions_;
};

void Statements::Statement() {
  const Token* first = Peek();
  if (AcceptWord("LANGUAGE")) {
    Language(language_);
    return;
  }
  if (AcceptWord("STRINGTABLE")) {
    strings_.StringTable();
    return;
  }
  if (AcceptWord("VERSION") || AcceptWord("CHARACTERISTICS")) {
    uint32_t ignored = 0;
    Number32(ignored);
    return;
  }
  if (IsBegin(first) || IsEnd(first)) {
    Fail(Shown(first) + " outside a resource statement");
    return;
  }

  ResEntry e;
  e.language = language_;
  if (!ResName(e.name)) return;
  const Token* type = Peek();
  if (!type || IsBegin(type) || IsEnd(type)) {
    Fail("resource type expected after the name, found " + Shown(type));
    return;
  }
  if (type->kind == TokenKind::Identifier) {
    TypeWord(e, first, type);
    return;
  }
  if (type->kind == TokenKind::String) {
    ++pos_;
    data_.UserData(e, first, ResId::Text(Upper(StringText(*type))));
    return;
  }
  if (type->kind == TokenKind::Number || IsPunct(*type, "(")) {
    uint16_t number = 0;
    if (Number16(number, "resource type")) data_.UserData(e, first, ResId::Number(number));
    return;
  }
  Fail("resource type expected, found " + Shown(type));
}

void Statements::TypeWord(ResEntry& e, const Token* first, const Token* type) {
  std::string word = type->text;
  for (char& c : word) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  for (const char* u : kUnsupportedTypes) {
    if (word == u) {
      Fail(word + " resources are not supported");
      return;
    }
  }
  ++pos_;
  if (word == "STRINGTABLE") {
    FailAt(type, "STRINGTABLE takes no name");
    return;
  }
  if (Known(word, e, first)) return;
  int64_t number = 0;
  if (systemHeaders_ && LookupBuiltinSymbol(type->text, number))
    data_.UserData(e, first, ResId::Number(static_cast<uint16_t>(number)));
  else
    data_.UserData(e, first, ResId::Text(Upper(Widen(type->text))));
}

bool Statements::Known(const std::string& word, ResEntry& e, const Token* first) {
  if (word == "MENU" || word == "MENUEX") menus_.Menu(e, first, word == "MENUEX");
  else if (word == "DIALOG" || word == "DIALOGEX") dialogs_.Dialog(e, first, word == "DIALOGEX");
  else if (word == "VERSIONINFO") versions_.VersionInfo(e, first);
  else if (word == "ACCELERATORS") strings_.Accelerators(e, first);
  else if (word == "FONT") data_.Font(e, first);
  else if (word == "DLGINIT") data_.UserData(e, first, ResId::Number(kRtDlgInit));
  else if (word == "RCDATA") data_.UserData(e, first, ResId::Number(kRtRcData));
  else if (word == "ICON" || word == "CURSOR") data_.Icon(e, first, word == "CURSOR");
  else if (word == "TOOLBAR") data_.Toolbar(e, first);
  else if (word == "BITMAP") data_.Bitmap(e, first);
  else if (word == "HTML") data_.FileResource(e, first, ResId::Number(23));
  else if (word == "MESSAGETABLE") data_.FileResource(e, first, ResId::Number(11));
  else return false;
  return true;
}

}  // namespace

bool ParseStatements(const PreprocessedScript& script, const FileReader& reader, std::vector<ResEntry>& entries,
                     std::vector<Diagnostic>& diags, uint16_t language) {
  ParseState state(script, reader, entries, diags, language);
  return Statements(state).Run();
}

}  // namespace rc
}  // namespace package
