// The preprocessor's macros: their expansion (definitions are read in
// rc_macro_define.cpp).

#include "package/rc/preprocess/rc_macros.h"

#include <algorithm>
#include <cstdint>
#include <type_traits>
#include <utility>

namespace package {

namespace {

// Arguments that hold macro calls whose arguments hold calls, and so on;
// real scripts nest a handful.
constexpr int kMaxArgumentDepth = 64;

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
    macro = macro || Defined(piece);
    std::vector<Diagnostic> ignored;
    Lex(piece, std::string(), word.token.fileIndex, pieces, ignored);
    if (dot < text.size()) Lex(".", std::string(), word.token.fileIndex, pieces, ignored);
    from = dot + 1;
  }
  if (!macro) return false;
  for (size_t i = 0; i < pieces.size(); ++i) {
    Token t = std::move(pieces[i]);
    t.line = word.token.line;
    t.column = word.token.column;
    t.macro = word.token.macro;
    t.spaceBefore = i == 0 && word.token.spaceBefore;
    t.firstOnLine = i == 0 && word.token.firstOnLine;
    parts.push_back(Item{std::move(t), word.hide});
  }
  return true;
}

std::vector<std::string> MacroTable::Names() const {
  std::vector<std::string> names(names_.size() + 1);
  for (const auto& n : names_) {
    if (n.second < names.size()) names[n.second] = n.first;
  }
  return names;
}

void MacroTable::Expand(std::vector<Token>& in, size_t from, size_t to, std::vector<Token>& out) {
  Source src;
  src.tokens = &in;
  src.pos = from;
  src.end = to;
  src.pushed = Borrow();
  Run(src, out);
  Give(src.pushed);
}

const Token& MacroTable::Source::Next() const {
  if (!pushed.empty()) return pushed.back().token;
  return tokens ? (*tokens)[pos] : (*items)[pos].token;
}

MacroTable::Item MacroTable::Source::Take() {
  if (!pushed.empty()) {
    Item it = std::move(pushed.back());
    pushed.pop_back();
    return it;
  }
  if (tokens) return Item{std::move((*tokens)[pos++]), 0};
  return (*items)[pos++];
}

// Each token in turn: a macro's name is replaced by its expansion, which is
// then read again ahead of the rest; any other token goes out as it is.
template <typename Out>
void MacroTable::Run(Source& src, Out& out) {
  if (depth_ >= kMaxArgumentDepth) {
    if (!src.Empty()) report_(src.Next(), "macro arguments nested too deeply");
    return;
  }
  ++depth_;
  while (!src.Empty()) {
    Item it = src.Take();
    if (it.token.kind == TokenKind::Identifier && !overBudget_) {
      auto m = macros_.find(it.token.text);
      Items result = Borrow();
      if ((m == macros_.end() && !ReplaceBuiltin(it.token) && SplitDotted(it, result)) ||
          (m != macros_.end() && !Hidden(it.hide, m->second.id) &&
           Invoke(m->second, it, src, result))) {
        for (auto r = result.rbegin(); r != result.rend(); ++r) src.pushed.push_back(std::move(*r));
        Give(result);
        continue;
      }
      Give(result);
    }
    if constexpr (std::is_same<Out, Items>::value)
      out.push_back(std::move(it));
    else
      out.push_back(std::move(it.token));
  }
  --depth_;
}

// __LINE__ becomes the token's line, __FILE__ the file's name as a string.
bool MacroTable::ReplaceBuiltin(Token& t) const {
  if (t.text.size() != 8 || t.text[0] != '_') return false;
  if (t.text == "__LINE__") {
    t.kind = TokenKind::Number;
    t.value = static_cast<uint32_t>(std::max(t.line, 0));
    t.text = std::to_string(t.value);
    return true;
  }
  if (t.text != "__FILE__") return false;
  t.kind = TokenKind::String;
  t.wide = false;
  t.text.clear();
  for (char c : fileName_) {
    if (c == '\\' || c == '"') t.text.push_back('\\');
    t.text.push_back(c);
  }
  return true;
}

void MacroTable::ExpandArgument(const Items& arg, Items& out) {
  Source src;
  src.items = &arg;
  src.end = arg.size();
  src.pushed = Borrow();
  Run(src, out);
  Give(src.pushed);
}

// False when a function-like macro's name is not followed by '(': then it
// is no call and stays as it is.
bool MacroTable::Invoke(const Macro& m, const Item& name, Source& src, Items& result) {
  std::vector<Items> args;
  if (m.functionLike && !spareArgs_.empty()) {
    args = std::move(spareArgs_.back());
    spareArgs_.pop_back();
  }
  HideSet hide = With(name.hide, m.id);
  if (m.functionLike) {
    if (src.Empty() || !IsPunct(src.Next(), "(")) return false;
    Item close;
    const bool called = Arguments(m, name, src, args, close);
    if (called) hide = With(Common(name.hide, close.hide), m.id);
    const Macro& use = called && m.withoutVarArgs && args.back().empty() ? *m.withoutVarArgs : m;
    if (called && Charge(use.body.size(), name.token)) Substitute(use, args, name, result);
    for (Items& a : args) Give(a);
    args.clear();
    spareArgs_.push_back(std::move(args));
  } else if (Charge(m.body.size(), name.token)) {
    Substitute(m, args, name, result);
  }
  bool first = true;
  // A token keeps the use in the script: the outermost macro and its place.
  const uint32_t from = name.token.macro != 0 ? name.token.macro : m.id;
  for (Item& r : result) {
    r.token.line = name.token.line;
    r.token.column = name.token.column;
    r.token.macro = from;
    r.token.fileIndex = name.token.fileIndex;
    r.token.firstOnLine = first && name.token.firstOnLine;
    if (first) r.token.spaceBefore = name.token.spaceBefore;
    first = false;
    r.hide = Union(r.hide, hide);
  }
  return true;
}

bool MacroTable::Arguments(const Macro& m, const Item& name, Source& src, std::vector<Items>& args,
                           Item& close) {
  src.Take();  // '('
  args.push_back(Borrow());
  int depth = 0;
  bool closed = false;
  while (!src.Empty() && !closed) {
    Item it = src.Take();
    if (IsPunct(it.token, "(")) {
      ++depth;
    } else if (IsPunct(it.token, ")") && depth-- == 0) {
      close = std::move(it);
      closed = true;
      continue;
    } else if (IsPunct(it.token, ",") && depth == 0 && !(m.variadic && args.size() == m.params.size())) {
      args.push_back(Borrow());
      continue;
    }
    args.back().push_back(std::move(it));
  }
  if (!closed) {
    report_(name.token, "unterminated argument list invoking macro \"" + name.token.text + "\"");
    return false;
  }
  return ArgumentCount(m, name, args);
}

bool MacroTable::ArgumentCount(const Macro& m, const Item& name, std::vector<Items>& args) {
  const std::string quoted = "\"" + name.token.text + "\"";
  const size_t n = m.params.size();
  if (n == 0 && args.size() == 1 && args[0].empty()) {
    Give(args[0]);
    args.clear();
  }
  if (m.variadic && args.size() == n - 1) args.push_back(Borrow());
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
  // The last pasted token, which may be several of this lexer's tokens.
  size_t pastedFrom = 0, pastedEnd = 0;
  const int variadicParam = m.variadic ? static_cast<int>(m.params.size()) - 1 : -2;
  for (size_t i = 0; i < m.body.size(); ++i) {
    if (IsPunct(m.body[i], "##")) {
      pasteNext = true;
      continue;
    }
    const bool variadicArg = m.bodyParams[i] == variadicParam;
    const size_t before = result.size();
    Operand(m, args, i, pasteNext, result);
    const bool empty = result.size() == before;
    if (pasteNext && variadicArg && before > 0 && IsPunct(result[before - 1].token, ",")) {
      // ", ## __VA_ARGS__" loses its comma when no variable arguments are given.
      if (empty) result.erase(result.begin() + static_cast<std::ptrdiff_t>(before) - 1);
    } else if (pasteNext && !leftEmpty && !empty && before > 0) {
      const size_t left = pastedEnd == before && pastedFrom < before ? pastedFrom : before - 1;
      pastedFrom = Paste(result, left, before, name.token, pastedEnd);
    } else {
      pastedEnd = 0;
    }
    leftEmpty = empty && (!pasteNext || leftEmpty);
    pasteNext = false;
  }
}

// Appends the tokens one place of the body stands for: a token of its own,
// a stringized argument ("#x"), an argument as given (next to '##') or an
// argument fully expanded.
void MacroTable::Operand(const Macro& m, const std::vector<Items>& args, size_t& i, bool pasted,
                         Items& result) {
  const Token& t = m.body[i];
  if (m.functionLike && IsPunct(t, "#") && i + 1 < m.body.size()) {
    const int p = m.bodyParams[++i];
    result.push_back(Item{Stringize(args[static_cast<size_t>(p)], t), 0});
    return;
  }
  const int p = m.bodyParams[i];
  if (p < 0) {
    result.push_back(Item{t, 0});
    return;
  }
  const Items& arg = args[static_cast<size_t>(p)];
  const bool pastedAfter = i + 1 < m.body.size() && IsPunct(m.body[i + 1], "##");
  if (pasted || pastedAfter)
    result.insert(result.end(), arg.begin(), arg.end());
  else
    ExpandArgument(arg, result);
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

// Pastes result[right] onto the token that ends at it, result[left, right).
// The spelling must be one preprocessing token of C, as GCC requires; it
// becomes the tokens this lexer reads it as (u8"x", "->" and L'a' are two),
// so the result is what the same text would give read from a file. Returns
// where the pasted token now starts, and sets `end` after it.
size_t MacroTable::Paste(Items& result, size_t left, size_t right, const Token& at, size_t& end) {
  std::string leftText;
  for (size_t k = left; k < right; ++k) leftText += Spelling(result[k].token);
  const std::string rightText = Spelling(result[right].token);
  const std::string text = leftText + rightText;
  std::vector<Token> lexed;
  std::vector<Diagnostic> faults;
  // Read after a word, so that a "##" made by a paste is no directive line.
  if (IsOnePreprocessingToken(text)) {
    Lex("x " + text, std::string(), result[left].token.fileIndex, lexed, faults);
    if (!lexed.empty()) lexed.erase(lexed.begin());
  }
  if (lexed.empty() || !faults.empty()) {
    report_(at, "pasting \"" + leftText + "\" and \"" + rightText + "\" does not give a valid preprocessing token");
    end = right + 1;
    return left;
  }
  const Token& first = result[left].token;
  const HideSet hide = result[left].hide;
  for (size_t k = 0; k < lexed.size(); ++k) {
    Token& joined = lexed[k];
    joined.line = first.line;
    joined.column = first.column;
    joined.macro = first.macro;
    joined.fileIndex = first.fileIndex;
    joined.spaceBefore = k == 0 ? first.spaceBefore : false;
    joined.firstOnLine = k == 0 && first.firstOnLine;
    joined.codePage = first.codePage;
  }
  Items joined;
  for (Token& t : lexed) joined.push_back(Item{std::move(t), hide});
  result.erase(result.begin() + static_cast<std::ptrdiff_t>(left), result.begin() + static_cast<std::ptrdiff_t>(right) + 1);
  result.insert(result.begin() + static_cast<std::ptrdiff_t>(left), joined.begin(), joined.end());
  end = left + joined.size();
  return left;
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

MacroTable::Items MacroTable::Borrow() {
  if (spare_.empty()) return Items();
  Items items = std::move(spare_.back());
  spare_.pop_back();
  return items;
}

void MacroTable::Give(Items& items) {
  items.clear();
  spare_.push_back(std::move(items));
}

bool MacroTable::Hidden(HideSet hide, uint32_t name) const {
  const std::vector<uint32_t>& set = hideSets_[hide];
  return std::find(set.begin(), set.end(), name) != set.end();
}

// Hide sets are shared: each set grown by a name is made once, since a
// macro expanded a million times would otherwise copy its set as often.
MacroTable::HideSet MacroTable::With(HideSet hide, uint32_t name) {
  if (Hidden(hide, name)) return hide;
  HideSet& known = grown_[(uint64_t{hide} << 32) | name];
  if (known) return known;
  std::vector<uint32_t> grown = hideSets_[hide];
  grown.push_back(name);
  hideSets_.push_back(std::move(grown));
  known = static_cast<HideSet>(hideSets_.size() - 1);
  return known;
}

MacroTable::HideSet MacroTable::Union(HideSet a, HideSet b) {
  if (a == 0 || a == b) return b;
  const std::vector<uint32_t> names = hideSets_[b];  // a copy: With may add sets
  for (uint32_t name : names) a = With(a, name);
  return a;
}

MacroTable::HideSet MacroTable::Common(HideSet a, HideSet b) {
  if (a == 0 || b == 0) return 0;
  if (a == b) return a;
  const std::vector<uint32_t> names = hideSets_[a];
  HideSet both = 0;
  for (uint32_t name : names) {
    if (Hidden(b, name)) both = With(both, name);
  }
  return both;
}

}  // namespace package
