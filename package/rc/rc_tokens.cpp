// The resource-script lexer, and the diagnostics and token tests every
// stage shares.

#include "package/rc/rc_tokens.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace package {

std::string FormatDiagnostic(const Diagnostic& d) {
  return d.file + "(" + std::to_string(d.line) + "): " + (d.error ? "error: " : "warning: ") +
         d.message;
}

size_t CountErrors(const std::vector<Diagnostic>& diagnostics) {
  size_t n = 0;
  for (const Diagnostic& d : diagnostics) n += d.error ? 1 : 0;
  return n;
}

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
    t.fileIndex = fileIndex_;
    t.firstOnLine = lineStart_;
    t.spaceBefore = space_ || lineStart_;
    lineStart_ = false;
    space_ = false;
    return t;
  }

  void Report(int line, const std::string& message) {
    Diagnostic d;
    d.file = file_;
    d.line = line;
    d.message = message;
    diags_.push_back(d);
  }

  void BlockComment() {
    const int startLine = line_;
    pos_ += 2;
    while (pos_ < s_.size() && !(s_[pos_] == '*' && Peek(1) == '/')) {
      if (s_[pos_] == '\n') ++line_;
      ++pos_;
    }
    if (pos_ >= s_.size()) {
      Report(startLine, "unterminated comment");
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
    t.wide = wide;
    ++pos_;
    for (;;) {
      if (pos_ >= s_.size() || s_[pos_] == '\n' || (s_[pos_] == '\r' && Peek(1) == '\n')) {
        Report(t.line, "unterminated string literal");
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
      Report(t.line, "unterminated quoted data");
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
    if (s_[pos_] == '0' && (Peek(1) == 'x' || Peek(1) == 'X')) {
      pos_ += 2;
      const size_t digits = pos_;
      while (pos_ < s_.size() && isxdigit(static_cast<unsigned char>(s_[pos_]))) {
        const char c = static_cast<char>(tolower(static_cast<unsigned char>(s_[pos_++])));
        v = v * 16 + static_cast<uint64_t>(isdigit(static_cast<unsigned char>(c)) ? c - '0' : c - 'a' + 10);
        overflow = overflow || v > 0xFFFFFFFFull;
      }
      if (pos_ == digits) Report(t.line, "hexadecimal number without digits");
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
    if (pos_ < s_.size() && IsIdentChar(s_[pos_])) {
      while (pos_ < s_.size() && IsIdentChar(s_[pos_])) ++pos_;
      Report(t.line, "malformed number '" + s_.substr(begin, pos_ - begin) + "'");
    }
    if (overflow) Report(t.line, "number too large for 32 bits");
    t.text = s_.substr(begin, pos_ - begin);
    t.value = static_cast<uint32_t>(v);
    tokens_.push_back(std::move(t));
  }

  void Punct() {
    static const char* const kTwo[] = {"<<", ">>", "<=", ">=", "==", "!=", "&&", "||", "##"};
    static const char kOne[] = ",|&+-*/%~!(){}<>^=?:;.#[]";
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
    Report(t.line, std::string("unexpected character ") + shown);
  }

  const std::string& s_;
  std::string file_;
  int fileIndex_;
  std::vector<Token>& tokens_;
  std::vector<Diagnostic>& diags_;
  size_t pos_ = 0;
  int line_ = 1;
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

}  // namespace package
