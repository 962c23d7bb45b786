// What every statement uses: token access, faults, numbers, styles, names,
// memory options, common options and file data.

#include "package/rc/rc_parser.h"

#include <algorithm>
#include <cstring>

#include "package/rc/rc_expression.h"
#include "package/rc/rc_symbols.h"

namespace package {
namespace rc {

const Token* Parser::Peek(size_t ahead) const {
  return s_.pos + ahead < s_.tokens.size() ? &s_.tokens[s_.pos + ahead] : nullptr;
}

bool Parser::FailAt(const Token* at, const std::string& message) {
  Diagnostic d;
  d.message = message;
  if (!at) {
    d.message += " (at end of script)";
    if (!s_.tokens.empty()) at = &s_.tokens.back();
  }
  d.file = at ? s_.files[static_cast<size_t>(at->fileIndex)] : s_.files[0];
  d.line = at ? at->line : 1;
  d.column = at && at->column > 0 ? at->column : 1;
  const bool inScript = at && at >= s_.tokens.data() && at < s_.tokens.data() + s_.tokens.size();
  if (at && at->macro != 0 && at->macro < s_.macroNames.size())
    d.message += " (in the expansion of macro '" + s_.macroNames[at->macro] + "')";
  s_.failed = true;
  s_.faultAt = inScript ? static_cast<size_t>(at - s_.tokens.data()) : at ? s_.pos : s_.tokens.size();
  Report(d);
  return false;
}

void Parser::Report(const Diagnostic& d) {
  if (CountErrors(s_.diags) >= kMaxErrors) {
    // The first error not shown holds the place of the line that counts them.
    if (s_.hidden++ == 0) {
      s_.diags.push_back(d);
      s_.diags.back().text.clear();
    }
    return;
  }
  s_.diags.push_back(d);
}

void Parser::WarnAt(const Token* at, const std::string& message) {
  Diagnostic d;
  d.file = s_.files[static_cast<size_t>(at->fileIndex)];
  d.line = at->line;
  d.column = at->column > 0 ? at->column : 1;
  d.error = false;
  d.message = message;
  s_.diags.push_back(d);
}

std::string Parser::Shown(const Token* t) {
  if (!t) return "end of script";
  if (t->kind == TokenKind::String) return "a string";
  return "'" + t->text + "'";
}

bool Parser::AcceptWord(const char* w) {
  if (Peek() && IsWord(*Peek(), w)) {
    ++s_.pos;
    return true;
  }
  return false;
}

bool Parser::AcceptPunct(const char* p) {
  if (Peek() && IsPunct(*Peek(), p)) {
    ++s_.pos;
    return true;
  }
  return false;
}

bool Parser::Comma(const char* after) {
  if (AcceptPunct(",")) return true;
  return Fail(std::string("',' expected") +
              (after ? std::string(" after ") + after : std::string()) + ", found " +
              Shown(Peek()));
}

// clang-format off
const std::initializer_list<const char*> Parser::kKeywords = {
    "BEGIN", "END", "MENUITEM", "POPUP", "SEPARATOR", "STYLE", "EXSTYLE", "CAPTION", "CLASS",
    "FONT", "MENU", "LANGUAGE", "VERSION", "CHARACTERISTICS", "FILEVERSION", "PRODUCTVERSION",
    "FILEFLAGSMASK", "FILEFLAGS", "FILEOS", "FILETYPE", "FILESUBTYPE", "BLOCK", "VALUE", "CONTROL",
    "LTEXT", "RTEXT", "CTEXT", "PUSHBUTTON", "DEFPUSHBUTTON", "CHECKBOX", "AUTOCHECKBOX",
    "RADIOBUTTON", "AUTORADIOBUTTON", "GROUPBOX", "EDITTEXT", "LISTBOX", "COMBOBOX", "SCROLLBAR",
    "ICON", "DIALOG", "DIALOGEX", "MENUEX", "STRINGTABLE", "ACCELERATORS", "VERSIONINFO", "RCDATA",
    "BITMAP", "CURSOR", "TOOLBAR", "BUTTON", "VIRTKEY", "ASCII", "NOINVERT", "SHIFT", "ALT",
    "GRAYED", "INACTIVE", "CHECKED", "MENUBARBREAK", "MENUBREAK", "HELP", "DISCARDABLE",
    "MOVEABLE", "PRELOAD", "LOADONCALL", "FIXED", "PURE", "IMPURE"};
// clang-format on

bool Parser::Begin(const char* what) {
  if (IsBegin(Peek())) {
    s_.open.push_back(Peek());
    s_.contentColumn.push_back(0);
    ++s_.pos;
    return true;
  }
  return Fail(std::string("BEGIN expected ") + what + ", found " + Shown(Peek()) +
              DidYouMean(Peek(), kKeywords, true));
}

bool Parser::More() {
  if (s_.failed) return false;
  if (!Peek()) return MissingEnd(nullptr);
  if (IsEnd(Peek())) {
    // An END standing left of the BEGIN it closes belongs, most likely, to
    // an outer block: the inner one lost its END before it.
    const Token* end = Peek();
    const Token* begin = s_.open.empty() ? nullptr : s_.open.back();
    if (!s_.dedent && begin && end->firstOnLine && begin->firstOnLine &&
        end->column < begin->column && end->fileIndex == begin->fileIndex && end->macro == 0) {
      s_.dedent = end;
      s_.dedentBegin = begin;
    }
    if (!s_.open.empty()) s_.open.pop_back();
    if (!s_.contentColumn.empty()) s_.contentColumn.pop_back();
    ++s_.pos;
    return false;
  }
  if (Peek()->firstOnLine && StartsStatement(s_.tokens, s_.pos)) return MissingEnd(Peek());
  const Token* t = Peek();
  if (t->firstOnLine && !s_.open.empty() && !s_.contentColumn.empty() && t->macro == 0) {
    const Token* begin = s_.open.back();
    int& content = s_.contentColumn.back();
    if (content == 0) {
      content = t->column;
    } else if (!s_.dedent && content > begin->column && t->column <= begin->column &&
               t->fileIndex == begin->fileIndex && begin->firstOnLine) {
      s_.dedent = t;
      s_.dedentBegin = begin;
    }
  }
  return true;
}

bool Parser::MissingEnd(const Token* at) {
  const Token* open = s_.dedent ? s_.dedentBegin : s_.open.empty() ? nullptr : s_.open.back();
  const bool brace = open && IsPunct(*open, "{");
  const std::string end = brace ? "'}'" : "END";
  const std::string closes = open ? std::string(" to close the ") + (brace ? "'{'" : "BEGIN") +
                                        " of line " + std::to_string(open->line)
                                  : std::string();
  if (s_.dedent) {
    // The block's contents were indented, and this line is not: the END
    // belonged before it.
    FailAt(s_.dedent, end + " expected" + closes + " before this line");
    s_.faultAt = at ? s_.pos : s_.tokens.size();
  } else if (at && s_.pos > 0 && s_.tokens[s_.pos - 1].line < at->line - 1 &&
             s_.tokens[s_.pos - 1].fileIndex == at->fileIndex) {
    // Blank or comment lines stand between: the END was lost after the
    // block's last line, which is shown.
    FailAt(&s_.tokens[s_.pos - 1], end + " expected" + closes + " after this line");
    s_.faultAt = s_.pos;
  } else if (at) {
    FailAt(at, end + " expected" + closes + " before the next statement");
  } else {
    FailAt(open ? &s_.tokens.back() : nullptr,
           end + " expected" + closes + ", found the end of the script");
  }
  s_.resumeAtFault = at != nullptr;
  return false;
}

namespace {

// Edits (insert, delete, replace, swap two neighbours) from `a` to `b`
// without regard to case, or more than `limit` once it is certain to be.
size_t Distance(const std::string& a, const char* b, size_t limit) {
  const size_t n = a.size(), m = strlen(b);
  if ((n > m ? n - m : m - n) > limit) return limit + 1;
  auto up = [](char c) { return static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c); };
  std::vector<size_t> prev2(m + 1), prev(m + 1), row(m + 1);
  for (size_t j = 0; j <= m; ++j) prev[j] = j;
  for (size_t i = 1; i <= n; ++i) {
    row[0] = i;
    size_t best = row[0];
    for (size_t j = 1; j <= m; ++j) {
      const bool same = up(a[i - 1]) == up(b[j - 1]);
      row[j] = std::min({prev[j] + 1, row[j - 1] + 1, prev[j - 1] + (same ? 0 : 1)});
      if (i > 1 && j > 1 && up(a[i - 1]) == up(b[j - 2]) && up(a[i - 2]) == up(b[j - 1]))
        row[j] = std::min(row[j], prev2[j - 2] + 1);
      best = std::min(best, row[j]);
    }
    if (best > limit) return limit + 1;
    prev2.swap(prev);
    prev.swap(row);
  }
  return prev[m];
}

struct Nearest {
  const std::string* word;
  size_t limit;
  size_t best;
  std::string name;
  void Consider(const char* candidate) {
    if (*word == candidate) return;
    const size_t d = Distance(*word, candidate, std::min(limit, best - 1));
    if (d < best && d <= limit) {
      best = d;
      name = candidate;
    }
  }
};

}  // namespace

std::string Parser::DidYouMean(const Token* t, std::initializer_list<const char*> names,
                               bool namesOnly) const {
  if (!t || t->kind != TokenKind::Identifier || t->text.size() < 3) return std::string();
  // One edit in short words, two in longer ones: more would suggest
  // unrelated names.
  Nearest n{&t->text, t->text.size() <= 5 ? size_t{1} : size_t{2}, size_t{3}, std::string()};
  for (const char* k : names) n.Consider(k);
  if (n.best > 1 && !namesOnly) {
    for (const std::string& m : s_.macroNames) {
      if (!m.empty() && m[0] != '_') n.Consider(m.c_str());
    }
  }
  if (n.best > 1 && !namesOnly)
    ForEachBuiltinSymbol(
        [](const char* name, void* c) { static_cast<Nearest*>(c)->Consider(name); }, &n);
  return n.name.empty() ? std::string() : "; did you mean '" + n.name + "'?";
}

bool Parser::StartsStatement(const std::vector<Token>& tokens, size_t i) {
  static const char* const kTypes[] = {"MENU",         "MENUEX",      "DIALOG",      "DIALOGEX",
                                       "ACCELERATORS", "VERSIONINFO", "RCDATA",      "ICON",
                                       "CURSOR",       "BITMAP",      "FONT",        "TOOLBAR",
                                       "HTML",         "DLGINIT",     "MESSAGETABLE"};
  if (i >= tokens.size() || !tokens[i].firstOnLine) return false;
  const Token& first = tokens[i];
  if (IsWord(first, "LANGUAGE") || IsWord(first, "STRINGTABLE")) return true;
  if ((first.kind != TokenKind::Identifier && first.kind != TokenKind::Number) ||
      i + 1 >= tokens.size())
    return false;
  const Token& type = tokens[i + 1];
  if (type.firstOnLine || type.kind != TokenKind::Identifier) return false;
  for (const char* word : kTypes) {
    if (IsWord(type, word)) return true;
  }
  return false;
}

std::string Parser::Suggestion(const std::string& error, size_t at) const {
  if (error.compare(0, 16, "undefined symbol") != 0 || at >= s_.tokens.size()) return std::string();
  return DidYouMean(&s_.tokens[at]);
}

bool Parser::Number(int64_t& value) {
  const size_t at = s_.pos;
  std::string error;
  size_t errorAt = at;
  NameLookup builtin = [](const Token& name, int64_t& v) { return LookupBuiltinSymbol(name.text, v); };
  if (ReadExpression(s_.tokens, s_.pos, builtin, kPrecLogicalOr, value, error, errorAt)) return true;
  return FailAt(errorAt < s_.tokens.size() ? &s_.tokens[errorAt] : nullptr, error + Suggestion(error, errorAt));
}

bool Parser::Number16(uint16_t& out, const char* what) {
  const Token* at = Peek();
  int64_t v = 0;
  if (!Number(v)) return false;
  if (v < -32768 || v > 65535) return FailAt(at, std::string(what) + " does not fit in 16 bits");
  out = static_cast<uint16_t>(v);
  return true;
}

bool Parser::Number32(uint32_t& out) {
  int64_t v = 0;
  if (!Number(v)) return false;
  out = static_cast<uint32_t>(v);
  return true;
}

bool Parser::DataNumber(int64_t& value, bool& isLong) {
  const size_t from = s_.pos;
  if (!Number(value)) return false;
  isLong = false;
  for (size_t i = from; i < s_.pos; ++i) isLong = isLong || (s_.tokens[i].kind == TokenKind::Number && s_.tokens[i].isLong);
  return true;
}

bool Parser::Coordinate(int16_t& out) {
  const Token* at = Peek();
  int64_t v = 0;
  if (!Number(v)) return false;
  // Written as an unsigned 16-bit number (65506 for -30), a coordinate is
  // taken to 16 bits; beyond that it is a fault.
  if (v < -32768 || v > 65535) return FailAt(at, "coordinate out of range");
  out = static_cast<int16_t>(static_cast<uint16_t>(v & 0xFFFF));
  return true;
}

bool Parser::Style(uint32_t& value) {
  for (;;) {
    const bool clear = AcceptWord("NOT");
    const Token* at = Peek();
    int64_t v = 0;
    std::string error;
    size_t errorAt = s_.pos;
    NameLookup builtin = [](const Token& name, int64_t& x) { return LookupBuiltinSymbol(name.text, x); };
    if (!ReadExpression(s_.tokens, s_.pos, builtin, kPrecBitXor, v, error, errorAt))
      return FailAt(errorAt < s_.tokens.size() ? &s_.tokens[errorAt] : at, error + Suggestion(error, errorAt));
    if (clear)
      value &= ~static_cast<uint32_t>(v);
    else
      value |= static_cast<uint32_t>(v);
    if (!AcceptPunct("|")) return true;
  }
}

bool Parser::Text(std::u16string& out, const char* what) {
  const Token* t = Peek();
  if (!t || t->kind != TokenKind::String)
    return Fail(std::string("string expected for ") + what + ", found " + Shown(t));
  out = StringText(*t);
  ++s_.pos;
  return true;
}

bool Parser::ResName(ResId& id) {
  const Token* t = Peek();
  if (!t) return Fail("resource name expected");
  int64_t builtin = 0;
  if (t->kind == TokenKind::String) {
    id = ResId::Text(Upper(StringText(*t)));
    ++s_.pos;
    return true;
  }
  if (t->kind == TokenKind::Identifier && !(s_.systemHeaders && LookupBuiltinSymbol(t->text, builtin))) {
    id = ResId::Text(Upper(Widen(t->text)));
    ++s_.pos;
    return true;
  }
  if (t->kind == TokenKind::Punct && !IsPunct(*t, "(") && !IsPunct(*t, "-") && !IsPunct(*t, "~"))
    return Fail("resource name expected, found " + Shown(t));
  uint16_t n = 0;
  if (!Number16(n, "resource number")) return false;
  id = ResId::Number(n);
  return true;
}

void Parser::MemoryOptions(uint16_t& flags) {
  for (;;) {
    if (AcceptWord("PRELOAD")) flags |= kMemPreload;
    else if (AcceptWord("LOADONCALL")) flags &= static_cast<uint16_t>(~kMemPreload);
    else if (AcceptWord("MOVEABLE")) flags |= kMemMoveable;
    else if (AcceptWord("FIXED")) flags &= static_cast<uint16_t>(~kMemMoveable);
    else if (AcceptWord("DISCARDABLE")) flags |= kMemDiscardable;
    else if (AcceptWord("PURE") || AcceptWord("SHARED")) flags |= kMemPure;
    else if (AcceptWord("IMPURE") || AcceptWord("NONSHARED")) flags &= static_cast<uint16_t>(~kMemPure);
    else return;
  }
}

bool Parser::Language(uint16_t& language) {
  uint16_t primary = 0, sub = 0;
  if (!Number16(primary, "language") || !Comma() || !Number16(sub, "sub-language")) return false;
  language = static_cast<uint16_t>((sub << 10) | (primary & 0x3FF));
  return true;
}

bool Parser::CommonOption(ResEntry& e, bool& taken) {
  taken = true;
  if (AcceptWord("LANGUAGE")) return Language(e.language);
  if (AcceptWord("VERSION")) return Number32(e.version);
  if (AcceptWord("CHARACTERISTICS")) return Number32(e.characteristics);
  taken = false;
  return true;
}

bool Parser::CommonOptions(ResEntry& e) {
  bool taken = true;
  while (taken) {
    if (!CommonOption(e, taken)) return false;
  }
  return true;
}

bool Parser::Add(ResEntry& e, const Token* at) {
  // A script of thousands of resources would otherwise compare each with all before it.
  auto key = [](const ResId& id) { return std::make_pair(id.numeric ? id.number : 0xFFFFFFFFu, id.text); };
  if (!s_.added.insert(std::make_tuple(key(e.type), key(e.name), e.language)).second)
    return FailAt(at, "duplicate resource " + DescribeResId(e.name) + " of type " + DescribeResId(e.type));
  s_.entries.push_back(e);
  return true;
}

bool Parser::HexBlock(std::vector<uint8_t>& data) {
  if (!Begin("for the data")) return false;
  while (More()) {
    const Token* t = Peek();
    std::string error;
    if (t->kind != TokenKind::Quoted) return Fail("quoted hexadecimal data expected, found " + Shown(t));
    if (!HexBytes(*t, data, error)) return FailAt(t, error);
    ++s_.pos;
  }
  return !s_.failed;
}

// An unquoted file name: the words, numbers and path punctuation written
// together (app.ico, Assets\App.ico, ..\lang\English.lng, C:\res\x.bmp),
// ending at a blank or a line end; it must hold a '.', '\' or '/', so that a
// lone word is not taken for a file. Returns how many tokens it spans.
size_t Parser::UnquotedFileName(std::string& name) const {
  name.clear();
  size_t n = 0;
  for (const Token* x = Peek(); x; x = Peek(++n)) {
    const bool part = x->kind == TokenKind::Identifier || x->kind == TokenKind::Number ||
                      (x->kind == TokenKind::Punct && strchr(".\\/:-~", x->text[0]) && x->text.size() == 1);
    if (!part || (n > 0 && x->spaceBefore)) break;
    name += x->text;
  }
  if (name.find_first_of(".\\/") == std::string::npos) name.clear();
  return n;
}

bool Parser::FileData(std::vector<uint8_t>& data, const char* what) {
  const Token* t = Peek();
  // Resource Workshop writes a file's bytes inline, in a block.
  if (IsBegin(t) && Peek(1) && Peek(1)->kind == TokenKind::Quoted) return HexBlock(data);
  std::string name;
  size_t length = 1;
  if (t && t->kind == TokenKind::String)
    name = StringBytes(*t);
  else if (t)
    length = UnquotedFileName(name);
  if (name.empty())
    return Fail(std::string("file name expected for ") + what + ", found " + Shown(t));
  std::string text;
  if (!s_.reader(IsAbsolute(name) ? name : s_.scriptDir + name, text) && !s_.reader(name, text))
    return Fail("cannot open file '" + name + "'");
  data.assign(text.begin(), text.end());
  s_.pos += length;
  return true;
}

}  // namespace rc
}  // namespace package
