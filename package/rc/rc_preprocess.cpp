// The script preprocessor.

#include "package/rc/rc_preprocess.h"

#include <cctype>
#include <climits>
#include <map>
#include <utility>

#include "package/rc/rc_expression.h"
#include "package/rc/rc_files.h"

namespace package {

namespace {

constexpr int kMaxIncludeDepth = 16;
// Files opened in one compile, counting a file each time it is included. A
// file that includes itself or its includer twice doubles the work at every
// level; the budget ends such a compile promptly instead of after 2^16 files.
constexpr size_t kMaxIncludedFiles = 1024;
// Tokens that macros expand to in one compile. Macros defined through others
// twice over double at every level; real scripts stay far below this.
constexpr size_t kMaxExpandedTokens = size_t{1} << 20;

struct Conditional {
  bool parentActive;
  bool taken;   // some branch of this #if has been active
  bool active;
  bool sawElse;
  int line;
};

class Preprocessor {
 public:
  Preprocessor(const FileReader& reader, PreprocessedScript& out) : reader_(reader), out_(out) {}

  void Script(const std::string& path, std::string text) {
    scriptDir_ = DirectoryOf(path);
    out_.files.push_back(path);
    File(std::move(text), 0, false);
  }

 private:
  void Report(int fileIndex, int line, const std::string& message, bool error = true) {
    Diagnostic d;
    d.file = out_.files[static_cast<size_t>(fileIndex)];
    d.line = line;
    d.error = error;
    d.message = message;
    Add(d);
  }

  // Past kMaxErrors errors the next one is replaced by the line that says so,
  // and the rest of the script is not read.
  void Add(Diagnostic d) {
    if (stopped_) return;
    if (d.error && ++errors_ > kMaxErrors) {
      d.message = kTooManyErrors;
      stopped_ = true;
    }
    out_.diagnostics.push_back(d);
  }

  void File(std::string text, int fileIndex, bool headerOnly) {
    const int savedCodePage = codePage_;
    if (const int marked = NormaliseEncoding(text)) codePage_ = marked;

    std::vector<Token> raw;
    std::vector<Diagnostic> lexed;
    Lex(text, out_.files[static_cast<size_t>(fileIndex)], fileIndex, raw, lexed);

    std::vector<Conditional> conds;
    std::vector<std::pair<int, int>> inactive;
    int inactiveFrom = 0;
    auto active = [&conds] { return conds.empty() || conds.back().active; };

    for (const Token& t : raw) {
      if (stopped_) break;
      if (t.kind == TokenKind::Directive) {
        const bool wasActive = active();
        Directive(t, fileIndex, conds);
        const bool nowActive = active();
        if (wasActive && !nowActive) inactiveFrom = t.line;
        if (!wasActive && nowActive) inactive.emplace_back(inactiveFrom, t.line);
        continue;
      }
      if (!active() || headerOnly) continue;
      Emit(t);
    }
    if (!active()) inactive.emplace_back(inactiveFrom, INT_MAX);
    for (const Conditional& c : conds) Report(fileIndex, c.line, "#if without #endif");

    // Lexical faults count only where the text is compiled.
    if (!headerOnly) {
      for (const Diagnostic& d : lexed) {
        bool skipped = false;
        for (const auto& r : inactive) skipped = skipped || (d.line > r.first && d.line < r.second);
        if (!skipped) Add(d);
      }
    }
    codePage_ = savedCodePage;
  }

  void Emit(const Token& t) {
    std::vector<const std::string*> expanding;
    Emit(t, expanding);
  }

  // `expanding` holds the macros being expanded, which are not expanded again.
  void Emit(const Token& t, std::vector<const std::string*>& expanding) {
    if (t.kind == TokenKind::Identifier) {
      auto m = macros_.find(t.text);
      bool inside = false;
      for (const std::string* name : expanding) inside = inside || *name == t.text;
      if (m != macros_.end() && !inside) {
        expanded_ += m->second.size();
        if (expanded_ > kMaxExpandedTokens) {
          if (!overExpanded_)
            Report(t.fileIndex, t.line, "macros expand to more than " + std::to_string(kMaxExpandedTokens) +
                                            " tokens; is a macro defined through others twice over?");
          overExpanded_ = true;
          return;
        }
        expanding.push_back(&m->first);
        bool first = true;
        for (Token r : m->second) {
          r.line = t.line;
          r.fileIndex = t.fileIndex;
          r.firstOnLine = first && t.firstOnLine;
          first = false;
          Emit(r, expanding);
        }
        expanding.pop_back();
        return;
      }
    }
    Token copy = t;
    copy.codePage = codePage_;
    out_.tokens.push_back(copy);
  }

  // Expands macros in `in` into `out` for #if lines.
  void ExpandInto(const std::vector<Token>& in, size_t from, std::vector<Token>& out) {
    std::vector<Token> saved;
    saved.swap(out_.tokens);
    for (size_t i = from; i < in.size(); ++i) {
      if (IsWord(in[i], "defined")) {
        size_t j = i + 1;
        const bool paren = j < in.size() && IsPunct(in[j], "(");
        if (paren) ++j;
        Token result = in[i];
        result.kind = TokenKind::Number;
        result.value = 0;
        if (j < in.size() && in[j].kind == TokenKind::Identifier) {
          result.value = macros_.count(in[j].text) ? 1 : 0;
          ++j;
        }
        if (paren && j < in.size() && IsPunct(in[j], ")")) ++j;
        out_.tokens.push_back(result);
        i = j - 1;
        continue;
      }
      Emit(in[i]);
    }
    out.swap(out_.tokens);
    out_.tokens.swap(saved);
  }

  bool Condition(const std::vector<Token>& d, int fileIndex, int line) {
    std::vector<Token> expr;
    ExpandInto(d, 1, expr);
    size_t pos = 0;
    int64_t value = 0;
    std::string error;
    int errorLine = line;
    // Names that are no macro count as 0, as in C.
    NameLookup zero = [](const Token&, int64_t& v) {
      v = 0;
      return true;
    };
    if (!ReadExpression(expr, pos, zero, kPrecLogicalOr, value, error, errorLine)) {
      Report(fileIndex, line, "#if: " + error);
      return false;
    }
    if (pos != expr.size()) {
      Report(fileIndex, line, "#if: unexpected '" + expr[pos].text + "'");
      return false;
    }
    return value != 0;
  }

  void Directive(const Token& t, int fileIndex, std::vector<Conditional>& conds) {
    std::vector<Token> d;
    std::vector<Diagnostic> ignored;
    Lex(t.text, out_.files[static_cast<size_t>(fileIndex)], fileIndex, d, ignored);
    for (Token& x : d) x.line += t.line - 1;
    if (d.empty()) return;  // a lone '#'
    const std::string name = d[0].kind == TokenKind::Identifier ? d[0].text : std::string();
    const bool active = conds.empty() || conds.back().active;

    if (name == "if" || name == "ifdef" || name == "ifndef") {
      Conditional c{active, false, false, false, t.line};
      if (active) {
        if (name == "if") {
          c.active = Condition(d, fileIndex, t.line);
        } else if (d.size() < 2 || d[1].kind != TokenKind::Identifier) {
          Report(fileIndex, t.line, "#" + name + " needs a macro name");
        } else {
          c.active = (macros_.count(d[1].text) != 0) == (name == "ifdef");
        }
      }
      c.taken = c.active;
      conds.push_back(c);
      return;
    }
    if (name == "elif" || name == "else") {
      if (conds.empty() || conds.back().sawElse) {
        Report(fileIndex, t.line, "#" + name + (conds.empty() ? " without #if" : " after #else"));
        return;
      }
      Conditional& c = conds.back();
      c.sawElse = name == "else";
      if (!c.parentActive || c.taken) {
        c.active = false;
      } else {
        c.active = name == "else" || Condition(d, fileIndex, t.line);
        c.taken = c.active;
      }
      return;
    }
    if (name == "endif") {
      if (conds.empty())
        Report(fileIndex, t.line, "#endif without #if");
      else
        conds.pop_back();
      return;
    }
    if (!active) return;

    if (name == "define") {
      Define(t, d, fileIndex);
    } else if (name == "undef") {
      if (d.size() >= 2) macros_.erase(d[1].text);
    } else if (name == "include") {
      Include(t, fileIndex);
    } else if (name == "pragma") {
      Pragma(d, fileIndex, t.line);
    } else if (name == "error") {
      const size_t at = t.text.find("error");
      Report(fileIndex, t.line, "#error" + t.text.substr(at + 5));
    } else if (name == "line") {
      // Line markers from generated scripts carry nothing we use.
    } else {
      Report(fileIndex, t.line, "unknown preprocessor directive '#" + (name.empty() ? d[0].text : name) + "'");
    }
  }

  void Define(const Token& t, const std::vector<Token>& d, int fileIndex) {
    if (d.size() < 2 || d[1].kind != TokenKind::Identifier) {
      Report(fileIndex, t.line, "#define needs a macro name");
      return;
    }
    // A '(' right after the name makes a function-like macro.
    const size_t at = t.text.find(d[1].text, t.text.find("define") + 6);
    const size_t after = at + d[1].text.size();
    if (after < t.text.size() && t.text[after] == '(') {
      Report(fileIndex, t.line, "function-like macro '" + d[1].text + "' ignored", false);
      return;
    }
    macros_[d[1].text] = std::vector<Token>(d.begin() + 2, d.end());
  }

  void Include(const Token& t, int fileIndex) {
    std::string rest = t.text.substr(t.text.find("include") + 7);
    while (!rest.empty() && isspace(static_cast<unsigned char>(rest[0]))) rest.erase(0, 1);
    const char open = rest.empty() ? '\0' : rest[0];
    const char close = open == '<' ? '>' : '"';
    const size_t end = rest.find(close, 1);
    if ((open != '<' && open != '"') || end == std::string::npos) {
      Report(fileIndex, t.line, "#include expects \"file\" or <file>");
      return;
    }
    const std::string name = rest.substr(1, end - 1);
    if (depth_ >= kMaxIncludeDepth) {
      Report(fileIndex, t.line, "#include nested too deeply");
      return;
    }
    if (out_.files.size() > kMaxIncludedFiles) {
      if (!overBudget_)
        Report(fileIndex, t.line, "#include: more than " + std::to_string(kMaxIncludedFiles) +
                                      " files included; are the includes circular?");
      overBudget_ = true;
      return;
    }

    std::vector<std::string> candidates;
    if (IsAbsolute(name)) {
      candidates.push_back(name);
    } else {
      if (open == '"') candidates.push_back(DirectoryOf(out_.files[static_cast<size_t>(fileIndex)]) + name);
      candidates.push_back(scriptDir_ + name);
    }
    std::string text;
    for (const std::string& path : candidates) {
      if (!reader_(path, text)) continue;
      out_.files.push_back(path);
      ++depth_;
      File(std::move(text), static_cast<int>(out_.files.size() - 1), IsHeaderName(name));
      --depth_;
      return;
    }
    if ((open == '<' && IsHeaderName(name)) || IsSystemHeader(name)) {
      out_.systemHeaders = true;
      return;
    }
    Report(fileIndex, t.line, "cannot open include file '" + name + "'");
  }

  void Pragma(const std::vector<Token>& d, int fileIndex, int line) {
    if (d.size() < 2 || !IsWord(d[1], "code_page")) return;
    if (d.size() < 5 || !IsPunct(d[2], "(") || !IsPunct(d[4], ")")) {
      Report(fileIndex, line, "#pragma code_page expects (number)");
      return;
    }
    if (IsWord(d[3], "DEFAULT")) {
      codePage_ = 1252;
    } else if (d[3].kind == TokenKind::Number) {
      codePage_ = static_cast<int>(d[3].value);
      if (codePage_ != 65001 && codePage_ != 1252)
        Report(fileIndex, line, "code page " + d[3].text + " is read as 1252", false);
    } else {
      Report(fileIndex, line, "#pragma code_page expects (number)");
    }
  }

  const FileReader& reader_;
  PreprocessedScript& out_;
  std::map<std::string, std::vector<Token>> macros_;
  std::string scriptDir_;
  int depth_ = 0;
  bool overBudget_ = false;
  size_t errors_ = 0;
  bool stopped_ = false;
  size_t expanded_ = 0;
  bool overExpanded_ = false;
  int codePage_ = 1252;
};

}  // namespace

void Preprocess(const std::string& path, const std::string& text, const FileReader& reader,
                PreprocessedScript& out) {
  out = PreprocessedScript();
  Preprocessor(reader, out).Script(path, text);
}

}  // namespace package
