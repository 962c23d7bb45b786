// The preprocessor's macros: definitions and their expansion.

#include "package/rc/rc_macros.h"

#include <algorithm>
#include <utility>

namespace package {

namespace {

// Arguments that hold macro calls whose arguments hold calls, and so on;
// real scripts nest a handful.
constexpr int kMaxArgumentDepth = 64;

int ParamIndex(const Macro& m, const Token& t) {
  if (!m.functionLike || t.kind != TokenKind::Identifier) return -1;
  for (size_t i = 0; i < m.params.size(); ++i) {
    if (m.params[i] == t.text) return static_cast<int>(i);
  }
  return -1;
}

// The parameter list after "name(": names separated by commas, the last of
// which may be "..." or "name...". `i` ends past the ')'.
bool ReadParams(const std::vector<Token>& d, size_t& i, Macro& m, std::string& error) {
  error = "macro parameters must be names separated by commas";
  if (i < d.size() && IsPunct(d[i], ")")) {
    ++i;
    return true;
  }
  while (i < d.size()) {
    if (IsPunct(d[i], "...")) {
      m.params.push_back("__VA_ARGS__");
      m.variadic = true;
      ++i;
    } else if (d[i].kind == TokenKind::Identifier) {
      if (std::find(m.params.begin(), m.params.end(), d[i].text) != m.params.end()) {
        error = "duplicate macro parameter \"" + d[i].text + "\"";
        return false;
      }
      m.params.push_back(d[i++].text);
      if (i < d.size() && IsPunct(d[i], "...")) {
        m.variadic = true;
        ++i;
      }
    } else {
      return false;
    }
    if (i < d.size() && IsPunct(d[i], ")")) {
      ++i;
      return true;
    }
    if (m.variadic || i >= d.size() || !IsPunct(d[i], ",")) return false;
    ++i;
  }
  return false;
}

}  // namespace

// The lexer reads "name.ext" as one word, for unquoted file names. When a
// part of such a word is a macro, the word is the parts a C preprocessor
// sees ("MAJOR.MINOR" is MAJOR . MINOR), each to be expanded.
bool MacroTable::SplitDotted(const Item& word, Items& parts) const {
  const std::string& text = word.token.text;
  if (text.find('.') == std::string::npos) return false;
  bool macro = false;
  std::vector<Token> pieces;
  for (size_t from = 0; from <= text.size();) {
    const size_t dot = std::min(text.find('.', from), text.size());
    const std::string piece = text.substr(from, dot - from);
    macro = macro || macros_.count(piece) != 0;
    std::vector<Diagnostic> ignored;
    Lex(piece, std::string(), word.token.fileIndex, pieces, ignored);
    if (dot < text.size()) Lex(".", std::string(), word.token.fileIndex, pieces, ignored);
    from = dot + 1;
  }
  if (!macro) return false;
  for (size_t i = 0; i < pieces.size(); ++i) {
    Token t = pieces[i];
    t.line = word.token.line;
    t.spaceBefore = i == 0 && word.token.spaceBefore;
    t.firstOnLine = i == 0 && word.token.firstOnLine;
    parts.push_back(Item{t, word.hide});
  }
  return true;
}

bool MacroTable::Define(const std::vector<Token>& d, std::string& error) {
  if (d.size() < 2 || d[1].kind != TokenKind::Identifier) {
    error = "#define needs a macro name";
    return false;
  }
  if (d[1].text == "defined") {
    error = "\"defined\" cannot be used as a macro name";
    return false;
  }
  Macro m;
  size_t i = 2;
  // A '(' right after the name, with no space between, makes a function-like macro.
  if (i < d.size() && IsPunct(d[i], "(") && !d[i].spaceBefore) {
    m.functionLike = true;
    ++i;
    if (!ReadParams(d, i, m, error)) return false;
  }
  m.body.assign(d.begin() + static_cast<std::ptrdiff_t>(i), d.end());
  if (!m.body.empty() && (IsPunct(m.body.front(), "##") || IsPunct(m.body.back(), "##"))) {
    error = "'##' cannot appear at either end of a macro expansion";
    return false;
  }
  for (size_t k = 0; m.functionLike && k < m.body.size(); ++k) {
    if (IsPunct(m.body[k], "#") && (k + 1 >= m.body.size() || ParamIndex(m, m.body[k + 1]) < 0)) {
      error = "'#' is not followed by a macro parameter";
      return false;
    }
  }
  macros_[d[1].text] = std::move(m);
  return true;
}

void MacroTable::DefineText(const std::string& name, const std::string& value) {
  std::vector<Token> d;
  std::vector<Diagnostic> ignored;
  Lex("define " + name + " " + value, std::string(), 0, d, ignored);
  std::string error;
  Define(d, error);
}

void MacroTable::Expand(const std::vector<Token>& in, std::vector<Token>& out) {
  // Tokens before the first that may be a macro are never changed by one.
  size_t first = 0;
  while (first < in.size() && (in[first].kind != TokenKind::Identifier ||
                               (!macros_.count(in[first].text) && in[first].text.find('.') == std::string::npos)))
    ++first;
  out.insert(out.end(), in.begin(), in.begin() + static_cast<std::ptrdiff_t>(first));
  if (first == in.size()) return;
  Items items, expanded;
  items.reserve(in.size() - first);
  expanded.reserve(in.size() - first);
  for (size_t i = first; i < in.size(); ++i) items.push_back(Item{in[i], nullptr});
  ExpandItems(std::move(items), expanded);
  out.reserve(out.size() + expanded.size());
  for (Item& it : expanded) out.push_back(std::move(it.token));
}

void MacroTable::ExpandItems(Items in, Items& out) {
  if (depth_ >= kMaxArgumentDepth) {
    if (!in.empty()) report_(in.front().token, "macro arguments nested too deeply");
    return;
  }
  ++depth_;
  std::reverse(in.begin(), in.end());
  Items& stack = in;  // the next token is at the back
  while (!stack.empty()) {
    Item it = std::move(stack.back());
    stack.pop_back();
    if (it.token.kind == TokenKind::Identifier && !overBudget_) {
      auto m = macros_.find(it.token.text);
      Items result;
      if ((m == macros_.end() && SplitDotted(it, result)) ||
          (m != macros_.end() && !Hidden(it.hide, it.token.text) && Invoke(m->second, it, stack, result))) {
        for (auto r = result.rbegin(); r != result.rend(); ++r) stack.push_back(std::move(*r));
        continue;
      }
    }
    out.push_back(std::move(it));
  }
  --depth_;
}

// False when a function-like macro's name is not followed by '(': then it
// is no call and stays as it is.
bool MacroTable::Invoke(const Macro& m, const Item& name, Items& stack, Items& result) {
  std::vector<Items> args;
  HideSet hide = With(name.hide, name.token.text);
  if (m.functionLike) {
    if (stack.empty() || !IsPunct(stack.back().token, "(")) return false;
    Item close;
    if (!Arguments(m, name, stack, args, close)) return true;
    hide = With(Common(name.hide, close.hide), name.token.text);
  }
  if (!Charge(m.body.size(), name.token)) return true;
  Substitute(m, args, name, result);
  bool first = true;
  for (Item& r : result) {
    r.token.line = name.token.line;
    r.token.fileIndex = name.token.fileIndex;
    r.token.firstOnLine = first && name.token.firstOnLine;
    if (first) r.token.spaceBefore = name.token.spaceBefore;
    first = false;
    if (!r.hide) {
      r.hide = hide;
    } else {
      for (const std::string& h : *hide) r.hide = With(r.hide, h);
    }
  }
  return true;
}

bool MacroTable::Arguments(const Macro& m, const Item& name, Items& stack, std::vector<Items>& args,
                           Item& close) {
  stack.pop_back();  // '('
  args.emplace_back();
  int depth = 0;
  bool closed = false;
  while (!stack.empty() && !closed) {
    Item it = std::move(stack.back());
    stack.pop_back();
    if (IsPunct(it.token, "(")) {
      ++depth;
    } else if (IsPunct(it.token, ")") && depth-- == 0) {
      close = std::move(it);
      closed = true;
      continue;
    } else if (IsPunct(it.token, ",") && depth == 0 && !(m.variadic && args.size() == m.params.size())) {
      args.emplace_back();
      continue;
    }
    args.back().push_back(std::move(it));
  }
  const std::string quoted = "\"" + name.token.text + "\"";
  if (!closed) {
    report_(name.token, "unterminated argument list invoking macro " + quoted);
    return false;
  }
  const size_t n = m.params.size();
  if (n == 0 && args.size() == 1 && args[0].empty()) args.clear();
  if (m.variadic && args.size() == n - 1) args.emplace_back();
  if (args.size() < n) {
    report_(name.token, "macro " + quoted + " requires " + std::to_string(n) + " arguments, but only " +
                            std::to_string(args.size()) + " given");
    return false;
  }
  if (args.size() > n) {
    report_(name.token, "macro " + quoted + " passed " + std::to_string(args.size()) +
                            " arguments, but takes just " + std::to_string(n));
    return false;
  }
  return true;
}

void MacroTable::Substitute(const Macro& m, const std::vector<Items>& args, const Item& name, Items& result) {
  bool pasteNext = false;
  bool leftEmpty = false;  // the operand left of a pending '##' gave no token
  for (size_t i = 0; i < m.body.size(); ++i) {
    const Token& t = m.body[i];
    if (IsPunct(t, "##")) {
      pasteNext = true;
      continue;
    }
    const bool variadicArg = m.variadic && ParamIndex(m, t) == static_cast<int>(m.params.size()) - 1;
    Items piece = Operand(m, args, i, pasteNext);
    if (pasteNext && variadicArg && !result.empty() && IsPunct(result.back().token, ",")) {
      // ", ## __VA_ARGS__" loses its comma when no variable arguments are given.
      if (piece.empty()) result.pop_back();
      for (Item& p : piece) result.push_back(std::move(p));
    } else if (pasteNext && !leftEmpty && !piece.empty() && !result.empty()) {
      Paste(result, piece, name.token);
    } else {
      for (Item& p : piece) result.push_back(std::move(p));
    }
    leftEmpty = piece.empty() && (!pasteNext || leftEmpty);
    pasteNext = false;
  }
}

// The tokens one place of the body stands for: a token of its own, a
// stringized argument ("#x"), an argument as given (next to '##') or an
// argument fully expanded.
MacroTable::Items MacroTable::Operand(const Macro& m, const std::vector<Items>& args, size_t& i, bool pasted) {
  const Token& t = m.body[i];
  if (m.functionLike && IsPunct(t, "#") && i + 1 < m.body.size()) {
    const int p = ParamIndex(m, m.body[++i]);
    return Items{Item{Stringize(args[static_cast<size_t>(p)], t), nullptr}};
  }
  const int p = ParamIndex(m, t);
  if (p < 0) return Items{Item{t, nullptr}};
  const Items& arg = args[static_cast<size_t>(p)];
  const bool pastedAfter = i + 1 < m.body.size() && IsPunct(m.body[i + 1], "##");
  if (pasted || pastedAfter) return arg;
  Items expanded;
  ExpandItems(arg, expanded);
  return expanded;
}

Token MacroTable::Stringize(const Items& arg, const Token& at) const {
  std::string text;
  for (size_t k = 0; k < arg.size(); ++k) {
    const Token& x = arg[k].token;
    if (k > 0 && x.spaceBefore) text.push_back(' ');
    for (char c : Spelling(x)) {
      if (x.kind == TokenKind::String && (c == '"' || c == '\\')) text.push_back('\\');
      text.push_back(c);
    }
  }
  Token s = at;
  s.kind = TokenKind::String;
  s.text = text;
  s.wide = false;
  s.value = 0;
  return s;
}

void MacroTable::Paste(Items& result, const Items& right, const Token& at) {
  Token& left = result.back().token;
  const std::string text = Spelling(left) + Spelling(right.front().token);
  std::vector<Token> lexed;
  std::vector<Diagnostic> faults;
  Lex(text, std::string(), left.fileIndex, lexed, faults);
  size_t from = 1;
  if (lexed.size() == 1 && faults.empty() && lexed[0].kind != TokenKind::Directive) {
    Token joined = lexed[0];
    joined.line = left.line;
    joined.fileIndex = left.fileIndex;
    joined.spaceBefore = left.spaceBefore;
    joined.firstOnLine = left.firstOnLine;
    joined.codePage = left.codePage;
    left = joined;
  } else {
    report_(at, "pasting \"" + Spelling(left) + "\" and \"" + Spelling(right.front().token) +
                    "\" does not give a valid preprocessing token");
    from = 0;
  }
  for (size_t k = from; k < right.size(); ++k) result.push_back(right[k]);
}

bool MacroTable::Charge(size_t tokens, const Token& at) {
  expanded_ += tokens;
  if (expanded_ <= kMaxExpandedTokens) return true;
  if (!overBudget_)
    report_(at, "macros expand to more than " + std::to_string(kMaxExpandedTokens) +
                    " tokens; is a macro defined through others twice over?");
  overBudget_ = true;
  return false;
}

bool MacroTable::Hidden(const HideSet& hide, const std::string& name) {
  return hide && std::find(hide->begin(), hide->end(), name) != hide->end();
}

// Hide sets are shared: each set grown by a name is made once, since a
// macro expanded a million times would otherwise copy its set as often.
MacroTable::HideSet MacroTable::With(const HideSet& hide, const std::string& name) {
  if (Hidden(hide, name)) return hide;
  HideSet& known = grown_[std::make_pair(hide.get(), name)];
  if (known) return known;
  auto grown = std::make_shared<std::vector<std::string>>();
  if (hide) *grown = *hide;
  grown->push_back(name);
  known = grown;
  keep_.push_back(hide);  // the key's set stays alive while it is a key
  return known;
}

MacroTable::HideSet MacroTable::Common(const HideSet& a, const HideSet& b) {
  if (!a || !b) return nullptr;
  if (a == b) return a;
  auto both = std::make_shared<std::vector<std::string>>();
  for (const std::string& name : *a) {
    if (Hidden(b, name)) both->push_back(name);
  }
  return both->size() == a->size() ? a : both;
}

}  // namespace package
