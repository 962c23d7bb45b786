// The preprocessor's macros: reading a #define into a macro (its parameters,
// its body, and for __VA_OPT__ the bodies with and without the variable
// arguments). Expansion is rc_macros.cpp's.

#include "package/rc/preprocess/rc_macros.h"

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace package {

namespace {

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

bool IsVaOpt(const Token& t) { return t.kind == TokenKind::Identifier && t.text == "__VA_OPT__"; }

// A variadic macro's body with __VA_OPT__(...) groups made into the body
// used with variable arguments (the groups' contents) and the one used
// without (no groups, and a '##' next to a group gone with it).
bool VaOptBodies(const std::vector<Token>& body, std::vector<Token>& with,
                 std::vector<Token>& without, std::string& error) {
  bool dropPaste = false;  // a group just left out had no '##' before it
  for (size_t k = 0; k < body.size(); ++k) {
    if (!IsVaOpt(body[k])) {
      with.push_back(body[k]);
      if (!(dropPaste && IsPunct(body[k], "##"))) without.push_back(body[k]);
      dropPaste = false;
      continue;
    }
    size_t end = k + 1;
    for (int depth = 0; end < body.size(); ++end) {
      if (IsVaOpt(body[end])) {
        error = "__VA_OPT__ may not appear in a __VA_OPT__";
        return false;
      }
      if (IsPunct(body[end], "(")) ++depth;
      if (IsPunct(body[end], ")") && --depth == 0) break;
    }
    if (k + 1 >= body.size() || !IsPunct(body[k + 1], "(") || end >= body.size()) {
      error = "unterminated __VA_OPT__";
      return false;
    }
    with.insert(with.end(), body.begin() + static_cast<std::ptrdiff_t>(k) + 2,
                body.begin() + static_cast<std::ptrdiff_t>(end));
    dropPaste = without.empty() || !IsPunct(without.back(), "##");
    if (!dropPaste) without.pop_back();
    k = end;
  }
  return true;
}

}  // namespace

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
  m.id = names_.emplace(d[1].text, static_cast<uint32_t>(names_.size() + 1)).first->second;
  if (m.variadic && std::any_of(m.body.begin(), m.body.end(), IsVaOpt)) {
    std::vector<Token> with, without;
    if (!VaOptBodies(m.body, with, without, error)) return false;
    auto other = std::make_shared<Macro>(m);
    other->body = std::move(without);
    for (const Token& t : other->body) other->bodyParams.push_back(ParamIndex(m, t));
    m.withoutVarArgs = std::move(other);
    m.body = std::move(with);
  }
  for (const Token& t : m.body) m.bodyParams.push_back(ParamIndex(m, t));
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

}  // namespace package
