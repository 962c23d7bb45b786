// The script preprocessor: files, directives and conditions; the macros
// themselves are MacroTable's (rc_macros.h), the nesting of #if groups
// ConditionStack's (rc_conditions.h).

#include "package/rc/preprocess/rc_preprocess.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <set>
#include <utility>

#include "package/rc/preprocess/rc_conditions.h"
#include "package/rc/rc_expression.h"
#include "package/rc/rc_files.h"
#include "package/rc/preprocess/rc_macros.h"
#include "package/rc/preprocess/rc_pascal.h"
#include "package/rc/rc_symbols.h"

namespace package {

namespace {

constexpr int kMaxIncludeDepth = 16;
// Files opened in one compile, counting a file each time it is included. A
// file that includes itself or its includer twice doubles the work at every
// level; the budget ends such a compile promptly instead of after 2^16 files.
constexpr size_t kMaxIncludedFiles = 1024;

// Room for `size` tokens, growing by half at least so that many files
// together still cost a few copies of the tokens at most.
void Reserve(std::vector<Token>& tokens, size_t size) {
  if (size > tokens.capacity())
    tokens.reserve(std::max(size, tokens.capacity() + tokens.capacity() / 2));
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return s;
}

class Preprocessor {
 public:
  Preprocessor(const FileReader& reader, const PreprocessOptions& options, PreprocessedScript& out)
      : reader_(reader),
        options_(options),
        out_(out),
        macros_([this](const Token& at, const std::string& message) {
          Report(at.fileIndex, at.line, message, true, at.column);
        }) {
    macros_.DefineText("RC_INVOKED", "1");
    macros_.DefineText("_WIN32", "1");
    macros_.DefineText("WORKSHOP_INVOKED", "1");
    for (const auto& d : options.defines) macros_.DefineText(d.first, d.second.empty() ? "1" : d.second);
    codePage_ = options.codePage;
  }

  void Script(const std::string& path, std::string text) {
    // The folders searched, in order: the script's, then those of the options.
    chain_.push_back(DirectoryOf(path));
    for (std::string dir : options_.includeDirs) {
      if (dir.empty()) continue;
      if (dir.back() != '\\' && dir.back() != '/') dir.push_back('\\');
      chain_.push_back(dir);
    }
    AddFile(path, -1);
    File(std::move(text), 0, false);
    out_.macroNames = macros_.Names();
  }

 private:
  // A directive's faults are at its '#' unless a column is given.
  void Report(int fileIndex, int line, const std::string& message, bool error = true,
              int column = 0) {
    Diagnostic d;
    d.file = out_.files[static_cast<size_t>(fileIndex)];
    d.line = line;
    d.column = column > 0 ? column : directiveColumn_;
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

  // `foundAt`: the folder of chain_ the file was found in, or -1.
  int AddFile(const std::string& path, int foundAt) {
    out_.files.push_back(path);
    foundAt_.push_back(foundAt);
    return static_cast<int>(out_.files.size() - 1);
  }

  void File(std::string text, int fileIndex, bool headerOnly) {
    const int savedCodePage = codePage_;
    const int savedLineDelta = lineDelta_;
    const std::string savedName = fileName_;
    lineDelta_ = 0;
    fileName_ = out_.files[static_cast<size_t>(fileIndex)];
    macros_.SetFileName(fileName_);
    if (const int marked = NormaliseEncoding(text)) codePage_ = marked;
    if (!headerOnly) {
      if (out_.texts.size() <= static_cast<size_t>(fileIndex))
        out_.texts.resize(static_cast<size_t>(fileIndex) + 1);
      out_.texts[static_cast<size_t>(fileIndex)] = text;
    }

    std::vector<Token> raw;
    std::vector<Diagnostic> lexed;
    Lex(text, out_.files[static_cast<size_t>(fileIndex)], fileIndex, raw, lexed, codePage_);
    std::vector<std::pair<int, int>> inactive;
    Lines(raw, fileIndex, headerOnly, inactive);

    // Lexical faults count only where the text is compiled.
    if (!headerOnly) {
      for (const Diagnostic& d : lexed) {
        bool skipped = false;
        for (const auto& r : inactive) skipped = skipped || (d.line > r.first && d.line < r.second);
        if (!skipped) Add(d);
      }
    }
    codePage_ = savedCodePage;
    lineDelta_ = savedLineDelta;
    fileName_ = savedName;
    macros_.SetFileName(fileName_);
  }

  // A file's directives in turn, and the text between two of them expanded
  // where it is compiled. `inactive` gets the line ranges skipped.
  void Lines(std::vector<Token>& raw, int fileIndex, bool headerOnly,
             std::vector<std::pair<int, int>>& inactive) {
    ConditionStack conds;
    if (!headerOnly) Reserve(out_.tokens, out_.tokens.size() + raw.size());
    int inactiveFrom = 0;
    auto active = [&conds] { return conds.Active(); };
    size_t run = 0;  // where the text since the last directive starts
    size_t i = 0;
    for (; i < raw.size() && !stopped_; ++i) {
      Token& t = raw[i];
      t.line += lineDelta_;
      if (t.kind != TokenKind::Directive) continue;
      if (active() && !headerOnly) Flush(raw, run, i);
      run = i + 1;
      const bool wasActive = active();
      Directive(t, fileIndex, conds);
      const bool nowActive = active();
      if (wasActive && !nowActive) inactiveFrom = t.line - lineDelta_;
      if (!wasActive && nowActive) inactive.emplace_back(inactiveFrom, t.line - lineDelta_);
    }
    if (active() && !headerOnly) Flush(raw, run, i);
    if (!active()) inactive.emplace_back(inactiveFrom, INT_MAX);
    directiveColumn_ = 1;
    for (int line : conds.OpenLines()) Report(fileIndex, line, "#if without #endif");
  }

  // Expands raw[from, to), text read since the last directive, into the
  // script's tokens.
  void Flush(std::vector<Token>& raw, size_t from, size_t to) {
    if (from >= to || stopped_) return;
    const size_t first = out_.tokens.size();
    macros_.Expand(raw, from, to, out_.tokens);
    for (size_t k = first; k < out_.tokens.size(); ++k) out_.tokens[k].codePage = codePage_;
  }

  // A header whose constants are built in: they become visible, and its
  // function-like macros are defined, unless the script defined them first.
  void SystemHeader(const std::string& name, int fileIndex, int line) {
    out_.systemHeaders = true;
    AddVisibleHeaders(name, visibleHeaders_);
    for (const std::string& header : visibleHeaders_) {
      if (!macroHeaders_.insert(header).second) continue;
      for (const std::string& text : BuiltinMacroDefinitions(header)) {
        std::vector<Token> d;
        std::vector<Diagnostic> ignored;
        Lex("define " + text, out_.files[static_cast<size_t>(fileIndex)], fileIndex, d, ignored);
        for (Token& x : d) x.line = line;
        std::string error;
        if (d.size() >= 2 && !macros_.Defined(d[1].text)) macros_.Define(d, error);
      }
    }
  }

  bool BuiltinValue(const std::string& name, int64_t& value) const {
    const char* header = BuiltinSymbolHeader(name);
    return header && visibleHeaders_.count(header) && LookupBuiltinSymbol(name, value);
  }

  bool IsDefined(const Token& name) const {
    if (macros_.Defined(name.text)) return true;
    int64_t value = 0;
    std::string text;
    return BuiltinValue(name.text, value) || (out_.systemHeaders && LookupBuiltinString(name.text, text));
  }

  // `defined X` and `defined(X)` become 1 or 0 before macros expand.
  void ResolveDefined(std::vector<Token>& expr) const {
    std::vector<Token> resolved;
    for (size_t i = 0; i < expr.size(); ++i) {
      if (expr[i].kind != TokenKind::Identifier || expr[i].text != "defined") {
        resolved.push_back(expr[i]);
        continue;
      }
      size_t j = i + 1;
      const bool paren = j < expr.size() && IsPunct(expr[j], "(");
      if (paren) ++j;
      Token result = expr[i];
      result.kind = TokenKind::Number;
      result.value = 0;
      if (j < expr.size() && expr[j].kind == TokenKind::Identifier) result.value = IsDefined(expr[j++]) ? 1 : 0;
      if (paren && j < expr.size() && IsPunct(expr[j], ")")) ++j;
      result.text = std::to_string(result.value);
      resolved.push_back(result);
      i = j - 1;
    }
    expr.swap(resolved);
  }

  bool Condition(const std::vector<Token>& d, int fileIndex, int line) {
    std::vector<Token> tail(d.begin() + 1, d.end()), expr;
    ResolveDefined(tail);
    macros_.Expand(tail, expr);
    ResolveDefined(expr);
    size_t pos = 0;
    int64_t value = 0;
    std::string error;
    size_t errorAt = 0;
    if (!ReplaceCharacterConstants(expr, error)) {
      Report(fileIndex, line, "#if: " + error);
      return false;
    }
    // Names that are no macro count as 0, as in C, unless an included
    // Windows header gives them a value.
    NameLookup lookup = [this](const Token& name, int64_t& v) {
      if (!BuiltinValue(name.text, v)) v = 0;
      return true;
    };
    if (!ReadExpression(expr, pos, lookup, kPrecLogicalOr, value, error, errorAt)) {
      Report(fileIndex, line, "#if: " + error, true,
             errorAt < expr.size() ? expr[errorAt].column : 0);
      return false;
    }
    if (pos != expr.size()) {
      Report(fileIndex, line, "#if: unexpected '" + expr[pos].text + "'", true, expr[pos].column);
      return false;
    }
    return value != 0;
  }

  // The condition of an #if, #elif, #ifdef or #ifndef line.
  bool Test(const std::string& name, const std::vector<Token>& d, int fileIndex, int line) {
    if (name == "if" || name == "elif") return Condition(d, fileIndex, line);
    if (d.size() < 2 || d[1].kind != TokenKind::Identifier) {
      Report(fileIndex, line, "#" + name + " needs a macro name");
      return false;
    }
    return IsDefined(d[1]) == (name == "ifdef");
  }

  void Directive(const Token& t, int fileIndex, ConditionStack& conds) {
    std::vector<Token> d;
    std::vector<Diagnostic> ignored;
    Lex(t.text, out_.files[static_cast<size_t>(fileIndex)], fileIndex, d, ignored, codePage_);
    for (Token& x : d) {
      if (x.line == 1) x.column += t.column;  // the text starts after the '#'
      x.line += t.line - 1;
    }
    directiveColumn_ = t.column;
    if (d.empty()) return;  // a lone '#'
    const std::string name = d[0].kind == TokenKind::Identifier ? d[0].text : std::string();
    const bool handled = conds.Handle(
        name, t.line, [&] { return Test(name, d, fileIndex, t.line); },
        [&](const std::string& message) { Report(fileIndex, t.line, message); });
    if (handled || !conds.Active()) return;

    std::string error;
    if (name == "define") {
      if (!macros_.Define(d, error)) Report(fileIndex, t.line, error);
    } else if (name == "undef") {
      if (d.size() >= 2) macros_.Undefine(d[1].text);
    } else if (name == "include" || name == "include_next") {
      const bool next = name == "include_next" && fileIndex != 0;
      if (name == "include_next" && !next)
        Report(fileIndex, t.line, "#include_next in primary source file", false);
      Include(t, d, fileIndex, next);
    } else if (name == "pragma") {
      Pragma(d, fileIndex, t.line);
    } else if (name == "error" || name == "warning") {
      const size_t at = t.text.find(name);
      Report(fileIndex, t.line, "#" + name + t.text.substr(at + name.size()), name == "error");
    } else if (name == "line" || d[0].kind == TokenKind::Number) {
      Line(d, fileIndex, t.line);
    } else {
      Report(fileIndex, t.line, "unknown preprocessor directive '#" + (name.empty() ? d[0].text : name) + "'");
    }
  }

  // #line N ["file"]: the next line is line N. The file keeps its name in
  // messages, since resources are found relative to the real file.
  void Line(const std::vector<Token>& d, int fileIndex, int line) {
    std::vector<Token> tail(d.begin() + (d[0].kind == TokenKind::Number ? 0 : 1), d.end()), expanded;
    macros_.Expand(tail, expanded);
    if (expanded.empty() || expanded[0].kind != TokenKind::Number ||
        (expanded.size() > 1 && expanded[1].kind != TokenKind::String) || expanded.size() > 2) {
      Report(fileIndex, line, "#line expects a line number and an optional file name");
      return;
    }
    // Bounded so that line numbers stay within an int, however long the file.
    constexpr uint32_t kLastLine = 1000000000;
    const uint32_t wanted = expanded[0].value;
    if (wanted < 1 || wanted > kLastLine) {
      Report(fileIndex, line, "#line: the line number must be from 1 to 1000000000");
      return;
    }
    lineDelta_ += static_cast<int>(wanted) - (line + 1);
    if (expanded.size() == 2) {
      fileName_ = StringBytes(expanded[1]);
      macros_.SetFileName(fileName_);
    }
  }

  // The name an #include gives, as written or from a macro that expands to
  // "file" or <file>; `angled` for <file>.
  bool IncludeName(const Token& t, const std::vector<Token>& d, std::string& name, bool& angled) {
    std::string rest = t.text.substr(t.text.find(d[0].text) + d[0].text.size());
    while (!rest.empty() && isspace(static_cast<unsigned char>(rest[0]))) rest.erase(0, 1);
    if (!rest.empty() && (rest[0] == '<' || rest[0] == '"')) {
      angled = rest[0] == '<';
      const size_t end = rest.find(angled ? '>' : '"', 1);
      if (end == std::string::npos) return false;
      name = rest.substr(1, end - 1);
      return true;
    }
    std::vector<Token> tail(d.begin() + 1, d.end()), expanded;
    macros_.Expand(tail, expanded);
    if (expanded.size() == 1 && expanded[0].kind == TokenKind::String) {
      angled = false;
      name = expanded[0].text;
      return true;
    }
    if (expanded.size() < 3 || !IsPunct(expanded.front(), "<") || !IsPunct(expanded.back(), ">")) return false;
    angled = true;
    name.clear();
    for (size_t i = 1; i + 1 < expanded.size(); ++i)
      name += (i > 1 && expanded[i].spaceBefore ? " " : "") + Spelling(expanded[i]);
    return true;
  }

  // Where a file named in #include may be, with the folder of chain_ each
  // is in (-1: the including file's own folder). #include_next goes on
  // from the folder after the one the including file was found in.
  std::vector<std::pair<std::string, int>> IncludeCandidates(const std::string& name, bool angled,
                                                             int fileIndex, bool next) const {
    if (IsAbsolute(name)) return {{name, -1}};
    std::vector<std::pair<std::string, int>> candidates;
    if (!angled && !next)
      candidates.emplace_back(DirectoryOf(out_.files[static_cast<size_t>(fileIndex)]) + name, -1);
    const int from = next ? foundAt_[static_cast<size_t>(fileIndex)] + 1 : 0;
    for (int k = from; k < static_cast<int>(chain_.size()); ++k)
      candidates.emplace_back(chain_[static_cast<size_t>(k)] + name, k);
    return candidates;
  }

  void Include(const Token& t, const std::vector<Token>& d, int fileIndex, bool next) {
    std::string name;
    bool angled = false;
    if (!IncludeName(t, d, name, angled)) {
      Report(fileIndex, t.line, "#include expects \"file\" or <file>");
      return;
    }
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
    std::string text;
    for (const auto& candidate : IncludeCandidates(name, angled, fileIndex, next)) {
      const std::string& path = candidate.first;
      if (!reader_(path, text)) continue;
      if (once_.count(Lower(path))) return;
      const int included = AddFile(path, candidate.second);
      // A Pascal unit gives its constants, as #define lines.
      const bool pascal = IsPascalFile(name, text);
      if (pascal) text = PascalDefines(text);
      ++depth_;
      File(std::move(text), included, pascal || IsHeaderName(name));
      --depth_;
      return;
    }
    if (const char* embedded = EmbeddedFile(name)) {
      const int included = AddFile(name, -1);
      ++depth_;
      File(embedded, included, IsHeaderName(name));
      --depth_;
      return;
    }
    // <file.h> and the C++ library's <cstdlib> that are not on the paths
    // are headers of the system: what they would give under RC_INVOKED is
    // built in.
    const bool library = angled && (IsHeaderName(name) || name.find('.') == std::string::npos);
    if (library || IsSystemHeader(name)) {
      SystemHeader(name, fileIndex, t.line);
      return;
    }
    Report(fileIndex, t.line, "cannot open include file '" + name + "'");
  }

  void Pragma(const std::vector<Token>& d, int fileIndex, int line) {
    if (d.size() >= 2 && d[1].kind == TokenKind::Identifier && d[1].text == "once") {
      once_.insert(Lower(out_.files[static_cast<size_t>(fileIndex)]));
      return;
    }
    if (d.size() < 2 || !IsWord(d[1], "code_page")) return;  // other pragmas are for C compilers
    if (d.size() < 5 || !IsPunct(d[2], "(") || !IsPunct(d[4], ")")) {
      Report(fileIndex, line, "#pragma code_page expects (number)");
      return;
    }
    if (IsWord(d[3], "DEFAULT")) {
      codePage_ = options_.codePage;
    } else if (d[3].kind != TokenKind::Number) {
      Report(fileIndex, line, "#pragma code_page expects (number)");
    } else if (!CodePageKnown(static_cast<int>(d[3].value))) {
      Report(fileIndex, line, "code page " + d[3].text + " cannot be converted on this system");
    } else {
      codePage_ = static_cast<int>(d[3].value);
    }
  }

  const FileReader& reader_;
  const PreprocessOptions& options_;
  PreprocessedScript& out_;
  MacroTable macros_;
  std::set<std::string> once_;            // files that said #pragma once, by lower-case path
  std::set<std::string> visibleHeaders_;  // whose built-in constants #ifdef sees
  std::set<std::string> macroHeaders_;    // whose built-in macros are defined
  std::vector<std::string> chain_;        // the folders searched for included files
  std::vector<int> foundAt_;              // by file: its folder in chain_, or -1
  std::string fileName_;                  // what __FILE__ gives
  int depth_ = 0;
  bool overBudget_ = false;
  size_t errors_ = 0;
  bool stopped_ = false;
  int codePage_ = kDefaultCodePage;
  int directiveColumn_ = 1;
  int lineDelta_ = 0;  // what #line added to this file's line numbers
};

}  // namespace

void Preprocess(const std::string& path, const std::string& text, const FileReader& reader,
                const PreprocessOptions& options, PreprocessedScript& out) {
  out = PreprocessedScript();
  Preprocessor(reader, options, out).Script(path, text);
  JoinAdjacentStrings(out.tokens);
}

}  // namespace package
