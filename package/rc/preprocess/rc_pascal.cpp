// Pascal constant declarations read as #define lines: a lexer for Pascal's
// tokens and comments, and a reader of `const` sections whose expressions
// are written again, fully parenthesised, in C.

#include "package/rc/preprocess/rc_pascal.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <vector>

namespace package {

namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return s;
}

enum class Kind { Name, Number, String, Punct, Bad };

struct PasToken {
  Kind kind = Kind::Bad;
  std::string text;  // a name as written, a number in C, a string's bytes, punctuation
  int line = 1;
};

bool NameStart(char c) { return isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool NameChar(char c) { return isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// A 'quoted' string with '' for a quote, and #13 or #$0D characters, in
// any order; false when it is unterminated or a character is out of range.
bool ReadString(const std::string& s, size_t& i, std::string& out) {
  while (i < s.size() && (s[i] == '\'' || s[i] == '#')) {
    if (s[i] == '#') {
      size_t j = i + 1;
      const bool hex = j < s.size() && s[j] == '$';
      if (hex) ++j;
      const size_t from = j;
      while (j < s.size() && (hex ? isxdigit(static_cast<unsigned char>(s[j])) : isdigit(static_cast<unsigned char>(s[j])))) ++j;
      if (j == from || j - from > 3) return false;
      const unsigned long code = std::stoul(s.substr(from, j - from), nullptr, hex ? 16 : 10);
      if (code > 255) return false;
      out.push_back(static_cast<char>(code));
      i = j;
      continue;
    }
    for (++i;; ++i) {
      if (i >= s.size() || s[i] == '\n') return false;
      if (s[i] == '\'') {
        if (i + 1 < s.size() && s[i + 1] == '\'') {
          out.push_back('\'');
          ++i;
          continue;
        }
        ++i;
        break;
      }
      out.push_back(s[i]);
    }
  }
  return true;
}

std::vector<PasToken> LexPascal(const std::string& s) {
  std::vector<PasToken> tokens;
  int line = 1;
  size_t i = 0;
  auto skipTo = [&](const char* end) {
    const size_t n = std::char_traits<char>::length(end);
    while (i < s.size() && s.compare(i, n, end) != 0) line += s[i++] == '\n' ? 1 : 0;
    i = std::min(s.size(), i + n);
  };
  while (i < s.size()) {
    const char c = s[i];
    PasToken t;
    t.line = line;
    if (c == '\n') {
      ++line;
      ++i;
    } else if (isspace(static_cast<unsigned char>(c))) {
      ++i;
    } else if (c == '{') {
      skipTo("}");
    } else if (c == '(' && i + 1 < s.size() && s[i + 1] == '*') {
      i += 2;
      skipTo("*)");
    } else if (c == '/' && i + 1 < s.size() && s[i + 1] == '/') {
      while (i < s.size() && s[i] != '\n') ++i;
    } else if (c == '\'' || (c == '#' && i + 1 < s.size() && (isdigit(static_cast<unsigned char>(s[i + 1])) || s[i + 1] == '$'))) {
      t.kind = ReadString(s, i, t.text) ? Kind::String : Kind::Bad;
      if (t.kind == Kind::Bad) {
        while (i < s.size() && s[i] != '\n') ++i;
      }
      tokens.push_back(t);
    } else if (NameStart(c)) {
      while (i < s.size() && NameChar(s[i])) t.text.push_back(s[i++]);
      t.kind = Kind::Name;
      tokens.push_back(t);
    } else if (isdigit(static_cast<unsigned char>(c)) || (c == '$' && i + 1 < s.size() && isxdigit(static_cast<unsigned char>(s[i + 1])))) {
      const bool hex = c == '$';
      size_t j = i + (hex ? 1 : 0);
      while (j < s.size() && (hex ? isxdigit(static_cast<unsigned char>(s[j])) : isdigit(static_cast<unsigned char>(s[j])))) ++j;
      t.kind = Kind::Number;
      t.text = hex ? "0x" + s.substr(i + 1, j - i - 1) : s.substr(i, j - i);
      // A real (1.5, 1e3) or a number run into a name is no integer.
      const bool real = j + 1 < s.size() && s[j] == '.' && isdigit(static_cast<unsigned char>(s[j + 1]));
      if (real || (j < s.size() && NameChar(s[j]))) t.kind = Kind::Bad;
      while (j < s.size() && (NameChar(s[j]) || (real && s[j] == '.'))) ++j;
      i = j;
      tokens.push_back(t);
    } else {
      static const char* const kTwo[] = {":=", "..", "<>", "<=", ">="};
      t.kind = Kind::Punct;
      t.text.assign(1, c);
      for (const char* two : kTwo) {
        if (s.compare(i, 2, two) == 0) t.text = two;
      }
      i += t.text.size();
      tokens.push_back(t);
    }
  }
  return tokens;
}

// A constant expression, read with Pascal's precedence and written in C.
class Expression {
 public:
  Expression(const std::vector<PasToken>& t, size_t from, size_t to) : t_(t), pos_(from), end_(to) {}

  // The value in C (a parenthesised expression or one string literal);
  // false when the expression is not one a script can use.
  bool Read(std::string& out) {
    Value v;
    if (!Simple(v) || pos_ != end_) return false;
    out = v.isString ? Quoted(v.text) : v.text;
    return true;
  }

 private:
  struct Value {
    bool isString = false;
    std::string text;  // C for a number, the bytes of a string
  };

  bool Is(const char* word) const {
    return pos_ < end_ && (t_[pos_].kind == Kind::Name ? Lower(t_[pos_].text) == word
                                                         : t_[pos_].kind == Kind::Punct && t_[pos_].text == word);
  }

  static bool Number(const Value& a, const Value& b) { return !a.isString && !b.isString; }

  bool Simple(Value& v) {
    if (!Term(v)) return false;
    for (;;) {
      const char* op = Is("+") ? "+" : Is("-") ? "-" : Is("or") ? "|" : Is("xor") ? "^" : nullptr;
      if (!op) return true;
      ++pos_;
      Value r;
      if (!Term(r)) return false;
      if (v.isString && r.isString && op[0] == '+') {
        v.text += r.text;
        continue;
      }
      if (!Number(v, r)) return false;
      v.text = "(" + v.text + op + r.text + ")";
    }
  }

  bool Term(Value& v) {
    if (!Factor(v)) return false;
    for (;;) {
      const char* op = Is("*")     ? "*"
                       : Is("div") ? "/"
                       : Is("mod") ? "%"
                       : Is("and") ? "&"
                       : Is("shl") ? "<<"
                       : Is("shr") ? ">>"
                                   : nullptr;
      if (!op) return true;
      ++pos_;
      Value r;
      if (!Factor(r) || !Number(v, r)) return false;
      v.text = "(" + v.text + op + r.text + ")";
    }
  }

  bool Factor(Value& v) {
    if (pos_ >= end_) return false;
    const PasToken& t = t_[pos_];
    if (Is("-") || Is("+") || Is("not")) {
      const char* op = Is("-") ? "-" : Is("+") ? "+" : "~";
      ++pos_;
      if (!Factor(v) || v.isString) return false;
      v.text = std::string("(") + op + v.text + ")";
      return true;
    }
    if (Is("(")) {
      ++pos_;
      if (!Simple(v) || !Is(")")) return false;
      ++pos_;
      return true;
    }
    ++pos_;
    if (t.kind == Kind::Number || t.kind == Kind::String) {
      v.isString = t.kind == Kind::String;
      v.text = t.text;
      return true;
    }
    if (t.kind != Kind::Name || Is("(") || Is(".")) return false;  // a call, a cast or a qualified name
    const std::string word = Lower(t.text);
    static const char* const kOperators[] = {"div", "mod", "and", "or", "xor", "not", "shl", "shr", "in", "is", "as", "nil"};
    for (const char* op : kOperators) {
      if (word == op) return false;
    }
    v.text = word == "true" ? "1" : word == "false" ? "0" : t.text;
    return true;
  }

  static std::string Quoted(const std::string& bytes) {
    std::string out = "\"";
    for (char c : bytes) {
      const unsigned char u = static_cast<unsigned char>(c);
      if (c == '"' || c == '\\') {
        out.push_back('\\');
        out.push_back(c);
      } else if (u < 0x20 || u == 0x7F) {
        char octal[8];
        snprintf(octal, sizeof octal, "\\%03o", u);
        out += octal;
      } else {
        out.push_back(c);
      }
    }
    return out + "\"";
  }

  const std::vector<PasToken>& t_;
  size_t pos_;
  size_t end_;
};

// Words that end a `const` section: the start of another section or of a
// routine or block.
bool EndsConstSection(const std::string& word) {
  static const char* const kWords[] = {"type",        "var",        "threadvar",      "resourcestring", "label",
                                       "procedure",   "function",   "constructor",    "destructor",     "begin",
                                       "end",         "implementation", "interface", "initialization", "finalization",
                                       "uses",        "unit",       "program",        "library",        "exports",
                                       "asm",         "operator"};
  for (const char* w : kWords) {
    if (word == w) return true;
  }
  return false;
}

}  // namespace

bool IsPascalFile(const std::string& name, const std::string& text) {
  const size_t dot = name.find_last_of('.');
  const size_t slash = name.find_last_of("\\/");
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return false;
  const std::string ext = Lower(name.substr(dot));
  if (ext == ".pas" || ext == ".pp" || ext == ".dpr" || ext == ".dpk") return true;
  if (ext != ".inc") return false;
  for (size_t at = 0; at < text.size();) {
    size_t i = at;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    if (i < text.size() && text[i] == '#') return false;
    const size_t next = text.find('\n', at);
    if (next == std::string::npos) break;
    at = next + 1;
  }
  return true;
}

std::string PascalDefines(const std::string& text) {
  const std::vector<PasToken> t = LexPascal(text);
  // The defines of each line of the text.
  std::vector<std::vector<std::string>> lines(1);
  for (char c : text) {
    if (c == '\n') lines.emplace_back();
  }
  bool inConst = false;
  int depth = 0;  // parentheses and brackets: "const" in a parameter list starts no section
  for (size_t i = 0; i < t.size(); ++i) {
    if (t[i].kind == Kind::Punct && (t[i].text == "(" || t[i].text == "[")) ++depth;
    if (t[i].kind == Kind::Punct && (t[i].text == ")" || t[i].text == "]")) depth = std::max(0, depth - 1);
    if (t[i].kind != Kind::Name || depth > 0) continue;
    const std::string word = Lower(t[i].text);
    if (word == "const") {
      inConst = true;
      continue;
    }
    if (EndsConstSection(word)) {
      inConst = false;
      continue;
    }
    if (!inConst || i + 1 >= t.size() || t[i + 1].kind != Kind::Punct) continue;
    // The declaration runs to the ';' outside parentheses.
    size_t end = i + 2;
    for (int inner = 0; end < t.size() && !(inner <= 0 && t[end].kind == Kind::Punct && t[end].text == ";"); ++end) {
      if (t[end].kind == Kind::Punct && (t[end].text == "(" || t[end].text == "[")) ++inner;
      if (t[end].kind == Kind::Punct && (t[end].text == ")" || t[end].text == "]")) --inner;
    }
    std::string value;
    if (t[i + 1].text == "=" && Expression(t, i + 2, end).Read(value)) {
      lines[static_cast<size_t>(t[i].line - 1)].push_back("#define " + t[i].text + " " + value);
    }
    i = end;
  }
  std::string out;
  for (size_t n = 0; n < lines.size(); ++n) {
    for (const std::string& define : lines[n]) out += define + "\n";
    if (lines[n].empty()) out += "\n";
    // Declarations that shared a line took more than one: the next line
    // keeps its number.
    if (lines[n].size() > 1) out += "#line " + std::to_string(n + 2) + "\n";
  }
  return out;
}

}  // namespace package
