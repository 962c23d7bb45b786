// What every statement uses: token access, faults, numbers, styles, names,
// memory options, common options and file data.

#include "package/rc/rc_parser.h"

#include <cstring>

#include "package/rc/rc_expression.h"
#include "package/rc/rc_symbols.h"

namespace package {
namespace rc {

const Token* Parser::Peek(size_t ahead) const {
  return pos_ + ahead < t_.size() ? &t_[pos_ + ahead] : nullptr;
}

bool Parser::FailAt(const Token* at, const std::string& message, int line) {
  Diagnostic d;
  d.message = message;
  if (!at) {
    d.message += " (at end of script)";
    if (!t_.empty()) at = &t_.back();
  }
  d.file = at ? files_[static_cast<size_t>(at->fileIndex)] : files_[0];
  d.line = line > 0 ? line : (at ? at->line : 1);
  diags_.push_back(d);
  failed_ = true;
  return false;
}

void Parser::WarnAt(const Token* at, const std::string& message) {
  Diagnostic d;
  d.file = files_[static_cast<size_t>(at->fileIndex)];
  d.line = at->line;
  d.error = false;
  d.message = message;
  diags_.push_back(d);
}

std::string Parser::Shown(const Token* t) {
  if (!t) return "end of script";
  if (t->kind == TokenKind::String) return "a string";
  return "'" + t->text + "'";
}

bool Parser::AcceptWord(const char* w) {
  if (Peek() && IsWord(*Peek(), w)) {
    ++pos_;
    return true;
  }
  return false;
}

bool Parser::AcceptPunct(const char* p) {
  if (Peek() && IsPunct(*Peek(), p)) {
    ++pos_;
    return true;
  }
  return false;
}

bool Parser::Comma() {
  if (AcceptPunct(",")) return true;
  return Fail("',' expected, found " + Shown(Peek()));
}

bool Parser::Begin(const char* what) {
  if (IsBegin(Peek())) {
    ++pos_;
    return true;
  }
  return Fail(std::string("BEGIN expected ") + what + ", found " + Shown(Peek()));
}

bool Parser::More() {
  if (!Peek()) return Fail("END expected");
  if (IsEnd(Peek())) {
    ++pos_;
    return false;
  }
  return !failed_;
}

bool Parser::Number(int64_t& value) {
  const size_t at = pos_;
  std::string error;
  int line = 0;
  NameLookup builtin = [](const Token& name, int64_t& v) { return LookupBuiltinSymbol(name.text, v); };
  if (ReadExpression(t_, pos_, builtin, kPrecLogicalOr, value, error, line)) return true;
  const Token* near = pos_ < t_.size() ? &t_[pos_] : (at < t_.size() ? &t_[at] : nullptr);
  return FailAt(near, error, line);
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
  const size_t from = pos_;
  if (!Number(value)) return false;
  isLong = false;
  for (size_t i = from; i < pos_; ++i) isLong = isLong || (t_[i].kind == TokenKind::Number && t_[i].isLong);
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
    int line = 0;
    NameLookup builtin = [](const Token& name, int64_t& x) { return LookupBuiltinSymbol(name.text, x); };
    if (!ReadExpression(t_, pos_, builtin, kPrecBitXor, v, error, line))
      return FailAt(pos_ < t_.size() ? &t_[pos_] : at, error, line);
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
  ++pos_;
  return true;
}

bool Parser::ResName(ResId& id) {
  const Token* t = Peek();
  if (!t) return Fail("resource name expected");
  int64_t builtin = 0;
  if (t->kind == TokenKind::String) {
    id = ResId::Text(Upper(StringText(*t)));
    ++pos_;
    return true;
  }
  if (t->kind == TokenKind::Identifier && !(systemHeaders_ && LookupBuiltinSymbol(t->text, builtin))) {
    id = ResId::Text(Upper(Widen(t->text)));
    ++pos_;
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
  if (!added_.insert(std::make_tuple(key(e.type), key(e.name), e.language)).second)
    return FailAt(at, "duplicate resource " + DescribeResId(e.name) + " of type " + DescribeResId(e.type));
  entries_.push_back(e);
  return true;
}

bool Parser::HexBlock(std::vector<uint8_t>& data) {
  if (!Begin("for the data")) return false;
  while (More()) {
    const Token* t = Peek();
    std::string error;
    if (t->kind != TokenKind::Quoted) return Fail("quoted hexadecimal data expected, found " + Shown(t));
    if (!HexBytes(*t, data, error)) return FailAt(t, error);
    ++pos_;
  }
  return !failed_;
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
  if (!reader_(IsAbsolute(name) ? name : scriptDir_ + name, text) && !reader_(name, text))
    return Fail("cannot open file '" + name + "'");
  data.assign(text.begin(), text.end());
  pos_ += length;
  return true;
}

}  // namespace rc
}  // namespace package
