// The statement driver: reads each statement's name and type and hands the
// rest to the family that reads that type (rc_parser.h lists them).

#include <algorithm>
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


class Statements : public Parser {
 public:
  explicit Statements(ParseState& state)
      : Parser(state), data_(state), menus_(state), dialogs_(state), strings_(state), versions_(state) {}

  bool Run() {
    bool faults = false;
    while (s_.pos < s_.tokens.size()) {
      const size_t start = s_.pos;
      s_.failed = false;
      s_.resumeAtFault = false;
      s_.open.clear();
      s_.contentColumn.clear();
      s_.dedent = nullptr;
      Statement();
      if (!s_.failed) continue;
      faults = true;
      s_.pos = Resume(start);
    }
    if (s_.hidden > 0) s_.diags.back().message = std::to_string(s_.hidden) + " more error(s) not shown";
    s_.failed = faults;
    if (!faults) {
      strings_.FlushStringTables();
      data_.FlushFontDirectory();
    }
    return !faults;
  }

 private:
  void Statement();
  // Where reading goes on after a fault in the statement that began at
  // `start`: the next line that reads as a statement outside any block, or
  // the line after the block the statement's own BEGIN opened.
  size_t Resume(size_t start) const;
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

size_t Statements::Resume(size_t start) const {
  const size_t fault = std::max(start, std::min(s_.faultAt, s_.tokens.size()));
  if (s_.resumeAtFault && fault > start) return fault;
  if (IsEnd(&s_.tokens[start])) return start + 1;  // an END left over is a statement's worth
  int depth = 0;
  for (size_t i = start; i < fault; ++i) {
    if (IsBegin(&s_.tokens[i]))
      ++depth;
    else if (IsEnd(&s_.tokens[i]) && depth > 0)
      --depth;
  }
  bool closed = false;
  for (size_t i = fault; i < s_.tokens.size(); ++i) {
    // A line that reads as a statement starts one even inside a block: a
    // misspelt END leaves the block open to the end of the script.
    if (i > start && s_.tokens[i].firstOnLine && ((closed && depth == 0) || StartsStatement(s_.tokens, i)))
      return i;
    if (IsBegin(&s_.tokens[i])) {
      ++depth;
    } else if (IsEnd(&s_.tokens[i]) && depth > 0) {
      closed = --depth == 0;
    }
  }
  return s_.tokens.size();
}

void Statements::Statement() {
  const Token* first = Peek();
  if (AcceptWord("LANGUAGE")) {
    Language(s_.language);
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
  if (IsEnd(first)) {
    Fail(IsPunct(*first, "}") ? "'}' without matching '{'" : "END without matching BEGIN");
    return;
  }
  if (IsBegin(first)) {
    Fail(Shown(first) + " outside a resource statement");
    return;
  }

  ResEntry e;
  e.language = s_.language;
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
    ++s_.pos;
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
  ++s_.pos;
  if (word == "STRINGTABLE") {
    FailAt(type, "STRINGTABLE takes no name");
    return;
  }
  if (Known(word, e, first)) return;
  int64_t number = 0;
  if (s_.systemHeaders && LookupBuiltinSymbol(type->text, number)) {
    data_.UserData(e, first, ResId::Number(static_cast<uint16_t>(number)));
    return;
  }
  // A word near a statement's type is more likely that type misspelt than
  // a type of the user's own: say so if what follows is no data.
  const size_t before = s_.diags.size();
  data_.UserData(e, first, ResId::Text(Upper(Widen(type->text))));
  const std::string hint = DidYouMean(
      type,
      {"MENU", "MENUEX", "DIALOG", "DIALOGEX", "ACCELERATORS", "VERSIONINFO", "RCDATA", "ICON",
       "CURSOR", "BITMAP", "FONT", "TOOLBAR", "STRINGTABLE", "HTML", "MESSAGETABLE", "DLGINIT"},
      true);
  if (s_.failed && s_.diags.size() > before && !hint.empty())
    s_.diags[before].message += " (resource type '" + type->text + "'" + hint + ")";
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
  else if (word == "HTML") data_.FileResource(e, first, ResId::Number(kRtHtml));
  else if (word == "MESSAGETABLE") data_.FileResource(e, first, ResId::Number(kRtMessageTable));
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
