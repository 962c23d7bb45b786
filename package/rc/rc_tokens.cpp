// The resource-script lexer, and the token tests every stage shares.

#include "package/rc/rc_tokens.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace package {

// Both run for nearly every token the statements read: they compare bytes
// without the locale's case tables.
bool IsWord(const Token& t, const char* word) {
  if (t.kind != TokenKind::Identifier) return false;
  const char* text = t.text.c_str();
  size_t i = 0;
  for (; word[i] != '\0'; ++i) {
    char a = text[i];
    char b = word[i];
    if (a >= 'a' && a <= 'z') a = static_cast<char>(a - 'a' + 'A');
    if (b >= 'a' && b <= 'z') b = static_cast<char>(b - 'a' + 'A');
    if (a != b) return false;  // also where the text ends first
  }
  return i == t.text.size();
}

bool IsPunct(const Token& t, const char* punct) {
  return t.kind == TokenKind::Punct && t.text[0] == punct[0] && strcmp(t.text.c_str(), punct) == 0;
}

namespace {

bool IsIdentStart(char c) { return isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsIdentChar(char c) { return isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// Token::numberFault.
constexpr uint8_t kMalformed = 1, kNoDigits = 2, kTooLarge = 3;

class Lexer {
 public:
  Lexer(const std::string& text, const std::string& fileName, int fileIndex,
        std::vector<Token>& tokens, std::vector<Diagnostic>& diagnostics, int codePage)
      : s_(text), file_(fileName), fileIndex_(fileIndex), tokens_(tokens), diags_(diagnostics),
        initialCodePage_(codePage), codePage_(codePage) {}

  void Run() {
    while (pos_ < s_.size()) {
      const char c = s_[pos_];
      if (c == '\x1A') {
        break;  // an end-of-file mark, as old editors wrote: the rest is not script
      } else if (c == '\n') {
        ++line_;
        ++pos_;
        lineStart_ = true;
        space_ = true;
      } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
        ++pos_;
        space_ = true;
      } else if (c == '/' && Peek(1) == '/') {
        while (pos_ < s_.size() && s_[pos_] != '\n') ++pos_;
        space_ = true;
      } else if (c == '/' && Peek(1) == '*') {
        BlockComment();
        space_ = true;
      } else if (c == '#' && lineStart_) {
        Directive();
      } else if ((c == 'L' || c == 'l') && Peek(1) == '"') {
        ++pos_;
        String(true);
      } else if (c == '"') {
        String(false);
      } else if (c == '\'') {
        Quoted();
      } else if (IsIdentStart(c)) {
        Identifier();
      } else if (isdigit(static_cast<unsigned char>(c))) {
        Number();
      } else {
        Punct();
      }
    }
  }

 private:
  char Peek(size_t ahead) const { return pos_ + ahead < s_.size() ? s_[pos_ + ahead] : '\0'; }

  Token Start(TokenKind kind) {
    Token t;
    t.kind = kind;
    t.line = line_;
    t.column = Column(pos_);
    t.fileIndex = fileIndex_;
    t.firstOnLine = lineStart_;
    t.spaceBefore = space_ || lineStart_;
    lineStart_ = false;
    space_ = false;
    return t;
  }

  void Report(int line, const std::string& message, int column = 0) {
    Diagnostic d;
    d.file = file_;
    d.line = line;
    d.column = column > 0 ? column : 1;
    d.message = message;
    diags_.push_back(d);
  }

  // The column of the character at `at`: characters since the line's start,
  // counted in the code page in force (a UTF-8 sequence or a double-byte
  // character is one). Counted on from the last token of the same line, so
  // a long line costs no more than its length.
  int Column(size_t at) {
    if (line_ != columnLine_ || at < columnPos_) {
      const size_t newline = at == 0 ? std::string::npos : s_.rfind('\n', at - 1);
      columnPos_ = newline == std::string::npos ? 0 : newline + 1;
      columnLine_ = line_;
      column_ = 1;
    }
    while (columnPos_ < at) {
      const unsigned char c = static_cast<unsigned char>(s_[columnPos_]);
      if (codePage_ == 65001 ? (c & 0xC0) != 0x80 : true) ++column_;
      columnPos_ += codePage_ != 65001 && c >= 0x80 && IsLeadByte(codePage_, c) ? 2 : 1;
    }
    return column_;
  }

  void BlockComment() {
    const int startLine = line_;
    const int startColumn = Column(pos_);
    pos_ += 2;
    while (pos_ < s_.size() && !(s_[pos_] == '*' && Peek(1) == '/')) {
      if (s_[pos_] == '\n') ++line_;
      ++pos_;
    }
    if (pos_ >= s_.size()) {
      Report(startLine, "unterminated comment", startColumn);
      return;
    }
    pos_ += 2;
  }

  void Directive() {
    Token t = Start(TokenKind::Directive);
    ++pos_;
    // Continuation lines are joined; the line count still advances.
    while (pos_ < s_.size() && s_[pos_] != '\n') {
      if (s_[pos_] == '\\' && (Peek(1) == '\n' || (Peek(1) == '\r' && Peek(2) == '\n'))) {
        pos_ += Peek(1) == '\r' ? 3 : 2;
        ++line_;
        t.text.push_back(' ');
        continue;
      }
      if (s_[pos_] != '\r') t.text.push_back(s_[pos_]);
      ++pos_;
    }
    FollowCodePage(t.text);
    tokens_.push_back(std::move(t));
  }

  // "pragma code_page(N)": the strings after it are lexed in code page N.
  void FollowCodePage(const std::string& directive) {
    char page[16] = {};
    if (sscanf(directive.c_str(), " pragma code_page ( %15[0-9A-Za-z] )", page) != 1) return;
    codePage_ = isdigit(static_cast<unsigned char>(page[0])) ? atoi(page) : initialCodePage_;
  }

  void String(bool wide) {
    Token t = Start(TokenKind::String);
    if (wide) --t.column;  // the L before the quote
    t.wide = wide;
    ++pos_;
    for (;;) {
      if (pos_ >= s_.size() || s_[pos_] == '\n' || (s_[pos_] == '\r' && Peek(1) == '\n')) {
        Report(t.line, "unterminated string literal", t.column);
        break;
      }
      const char c = s_[pos_];
      if (IsLeadByte(codePage_, static_cast<unsigned char>(c)) && Peek(1) != '\n' && Peek(1) != '\0') {
        t.text.append(s_, pos_, 2);
        pos_ += 2;
        continue;
      }
      if (c == '"') {
        if (Peek(1) == '"') {  // "" stands for one quotation mark
          t.text += "\"\"";
          pos_ += 2;
          continue;
        }
        ++pos_;
        break;
      }
      if (c == '\\' && (Peek(1) == '\n' || (Peek(1) == '\r' && Peek(2) == '\n'))) {
        pos_ += Peek(1) == '\r' ? 3 : 2;  // a continued line: the literal goes on
        ++line_;
        continue;
      }
      if (c == '\\' && pos_ + 1 < s_.size() && s_[pos_ + 1] != '\n' && s_[pos_ + 1] != '\r') {
        t.text.push_back(c);
        t.text.push_back(s_[pos_ + 1]);
        pos_ += 2;
        continue;
      }
      t.text.push_back(c);
      ++pos_;
    }
    tokens_.push_back(std::move(t));
  }

  // Hexadecimal data has no backslash; a character constant ('\'') may
  // escape its quote.
  void Quoted() {
    Token t = Start(TokenKind::Quoted);
    size_t end = pos_ + 1;
    while (end < s_.size() && s_[end] != '\'' && s_[end] != '\n')
      end += s_[end] == '\\' && end + 1 < s_.size() && s_[end + 1] != '\n' ? 2 : 1;
    if (end >= s_.size() || s_[end] != '\'') {
      Report(t.line, "unterminated quoted data", t.column);
      pos_ = std::min(end, s_.size());
      return;
    }
    t.text = s_.substr(pos_ + 1, end - pos_ - 1);
    pos_ = end + 1;
    tokens_.push_back(std::move(t));
  }

  void Identifier() {
    Token t = Start(TokenKind::Identifier);
    // Unquoted file names such as app.ico read as one word.
    while (pos_ < s_.size() &&
           (IsIdentChar(s_[pos_]) || (s_[pos_] == '.' && IsIdentChar(Peek(1))))) {
      t.text.push_back(s_[pos_++]);
    }
    tokens_.push_back(std::move(t));
  }

  void Number() {
    Token t = Start(TokenKind::Number);
    const size_t begin = pos_;
    uint64_t v = 0;
    bool overflow = false;
    const bool hex = s_[pos_] == '0' && (Peek(1) == 'x' || Peek(1) == 'X');
    bool noDigits = false;
    if (hex) {
      pos_ += 2;
      const size_t digits = pos_;
      while (pos_ < s_.size() && isxdigit(static_cast<unsigned char>(s_[pos_]))) {
        const char c = static_cast<char>(tolower(static_cast<unsigned char>(s_[pos_++])));
        v = v * 16 + static_cast<uint64_t>(isdigit(static_cast<unsigned char>(c)) ? c - '0' : c - 'a' + 10);
        overflow = overflow || v > 0xFFFFFFFFull;
      }
      noDigits = pos_ == digits;
    } else {
      while (pos_ < s_.size() && isdigit(static_cast<unsigned char>(s_[pos_]))) {
        v = v * 10 + static_cast<uint64_t>(s_[pos_++] - '0');
        overflow = overflow || v > 0xFFFFFFFFull;
      }
    }
    while (pos_ < s_.size() && (s_[pos_] == 'L' || s_[pos_] == 'l' || s_[pos_] == 'U' || s_[pos_] == 'u')) {
      if (s_[pos_] == 'L' || s_[pos_] == 'l') t.isLong = true;
      ++pos_;
    }
    // The rest of a preprocessing number: letters, digits and '_' (an
    // exponent's sign too), as "000" pasted with a name makes one.
    bool malformed = false;
    while (pos_ < s_.size() && IsIdentChar(s_[pos_])) {
      const char c = static_cast<char>(tolower(static_cast<unsigned char>(s_[pos_++])));
      if ((c == (hex ? 'p' : 'e')) && pos_ < s_.size() && (s_[pos_] == '+' || s_[pos_] == '-')) ++pos_;
      malformed = true;
    }
    t.text = s_.substr(begin, pos_ - begin);
    t.value = static_cast<uint32_t>(v);
    t.numberFault = malformed ? kMalformed : noDigits ? kNoDigits : overflow ? kTooLarge : 0;
    tokens_.push_back(std::move(t));
  }

  void Punct() {
    static const char* const kTwo[] = {"<<", ">>", "<=", ">=", "==", "!=", "&&", "||", "##"};
    // A backslash stands alone, as in an unquoted path (..\\lang\\English.lng).
    static const char kOne[] = ",|&+-*/%~!(){}<>^=?:;.#[]\\";
    Token t = Start(TokenKind::Punct);
    if (s_[pos_] == '.' && Peek(1) == '.' && Peek(2) == '.') {
      t.text = "...";
      pos_ += 3;
      tokens_.push_back(std::move(t));
      return;
    }
    for (const char* two : kTwo) {
      if (s_[pos_] == two[0] && Peek(1) == two[1]) {
        t.text = two;
        pos_ += 2;
        tokens_.push_back(std::move(t));
        return;
      }
    }
    const char c = s_[pos_++];
    if (strchr(kOne, c)) {
      t.text.assign(1, c);
      tokens_.push_back(std::move(t));
      return;
    }
    char shown[16];
    if (isprint(static_cast<unsigned char>(c)))
      snprintf(shown, sizeof shown, "'%c'", c);
    else
      snprintf(shown, sizeof shown, "0x%02X", static_cast<unsigned char>(c));
    Report(t.line, std::string("unexpected character ") + shown, t.column);
  }

  const std::string& s_;
  std::string file_;
  int fileIndex_;
  std::vector<Token>& tokens_;
  std::vector<Diagnostic>& diags_;
  size_t pos_ = 0;
  int line_ = 1;
  int columnLine_ = 0;
  size_t columnPos_ = 0;
  int column_ = 1;
  bool lineStart_ = true;
  bool space_ = false;
  int initialCodePage_;
  int codePage_;
};

}  // namespace

void Lex(const std::string& text, const std::string& fileName, int fileIndex,
         std::vector<Token>& tokens, std::vector<Diagnostic>& diagnostics, int codePage) {
  // A script has about one token for every five bytes: room for them at
  // once spares copying them all as the vector grows.
  if (tokens.empty()) tokens.reserve(text.size() / 5 + 4);
  if (text.find('\r') == std::string::npos) {
    Lexer(text, fileName, fileIndex, tokens, diagnostics, codePage).Run();
    return;
  }
  // A CR ends a line on its own too; CR LF stays one line end.
  std::string lines;
  lines.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r') lines.push_back(text[i]);
    else if (i + 1 >= text.size() || text[i + 1] != '\n') lines.push_back('\n');
  }
  Lexer(lines, fileName, fileIndex, tokens, diagnostics, codePage).Run();
}

std::string Spelling(const Token& t) {
  if (t.kind == TokenKind::String) return (t.wide ? "L\"" : "\"") + t.text + "\"";
  if (t.kind == TokenKind::Quoted) return "'" + t.text + "'";
  if (t.kind == TokenKind::Directive) return "#" + t.text;
  return t.text;
}

std::string NumberFault(const Token& t) {
  switch (t.numberFault) {
    case kMalformed: return "malformed number '" + t.text + "'";
    case kNoDigits: return "hexadecimal number without digits";
    case kTooLarge: return "number too large for 32 bits";
    default: return std::string();
  }
}

bool IsOnePreprocessingToken(const std::string& text) {
  if (text.empty()) return false;
  const char* const kPunctuators[] = {"[",  "]",  "(",  ")",  "{",  "}",  ".",   "->",  "++", "--", "&",  "*",
                                      "+",  "-",  "~",  "!",  "/",  "%",  "<<",  ">>",  "<",  ">",  "<=", ">=",
                                      "==", "!=", "^",  "|",  "&&", "||", "?",   ":",   ";",  "...", "=", "*=",
                                      "/=", "%=", "+=", "-=", "<<=", ">>=", "&=", "^=", "|=", ",",  "#",  "##",
                                      "<:", ":>", "<%", "%>", "%:", "%:%:"};
  for (const char* p : kPunctuators) {
    if (text == p) return true;
  }
  const size_t n = text.size();
  if (IsIdentStart(text[0])) {
    // A string or character constant behind an encoding prefix.
    for (const char* prefix : {"L", "u8", "u", "U"}) {
      const size_t k = strlen(prefix);
      if (n > k + 1 && text.compare(0, k, prefix) == 0 && (text[k] == '"' || text[k] == '\'')) {
        if (text[k] == '\'' && k == 2) return false;  // u8'x' is not C17's
        return IsOnePreprocessingToken(text.substr(k));
      }
    }
    for (char c : text) {
      if (!IsIdentChar(c)) return false;
    }
    return true;
  }
  if (isdigit(static_cast<unsigned char>(text[0])) || (text[0] == '.' && n > 1 && isdigit(static_cast<unsigned char>(text[1])))) {
    for (size_t i = 1; i < n; ++i) {
      const char c = text[i];
      const bool sign = (c == '+' || c == '-') && strchr("eEpP", text[i - 1]);
      if (!IsIdentChar(c) && c != '.' && !sign) return false;
    }
    return true;
  }
  if (text[0] == '"' || text[0] == '\'') {
    if (n < 2 || text[n - 1] != text[0] || (text[0] == '\'' && n < 3)) return false;
    size_t i = 1;
    while (i + 1 < n) {
      if (text[i] == '\n' || text[i] == text[0]) return false;
      i += text[i] == '\\' ? 2 : 1;
    }
    return i == n - 1;  // else an escape took the closing quote
  }
  return false;
}

}  // namespace package
