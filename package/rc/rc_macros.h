#pragma once
// The preprocessor's macros: the table of definitions and their expansion.
//
// Object-like and function-like macros with arguments (nested calls,
// parenthesised, empty and string arguments), '#' (stringizing), '##'
// (pasting) and variadic macros ("..." with __VA_ARGS__, or "name..."), as C
// preprocessors expand them: every token remembers the macros it came out
// of, which are not expanded again on it, and arguments are expanded fully
// before they are put in, unless they are stringized or pasted.

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "package/rc/rc_tokens.h"

namespace package {

// Tokens that macros expand to in one compile. Macros defined through others
// twice over double at every level; real scripts stay far below this.
constexpr size_t kMaxExpandedTokens = size_t{1} << 20;

struct Macro {
  bool functionLike = false;
  bool variadic = false;            // the last parameter takes the remaining arguments
  std::vector<std::string> params;  // "__VA_ARGS__" stands for "..."
  std::vector<Token> body;
};

class MacroTable {
 public:
  // Called with the token a fault is found at.
  using Reporter = std::function<void(const Token& at, const std::string& message)>;
  explicit MacroTable(Reporter report) : report_(std::move(report)) {}

  // "#define" read as tokens: d[0] is "define", d[1] the name. False with
  // `error` set when the definition is malformed.
  bool Define(const std::vector<Token>& d, std::string& error);
  // -d name[=value] from the command line, and the predefined names.
  void DefineText(const std::string& name, const std::string& value);
  void Undefine(const std::string& name) { macros_.erase(name); }
  bool Defined(const std::string& name) const { return macros_.count(name) != 0; }

  // Expands `in` and appends the result to `out`. A function-like macro's
  // arguments may run on past the end of a line, not past the end of `in`.
  void Expand(const std::vector<Token>& in, std::vector<Token>& out);

 private:
  using HideSet = std::shared_ptr<const std::vector<std::string>>;
  struct Item {
    Token token;
    HideSet hide;  // the macros this token came out of
  };
  using Items = std::vector<Item>;

  void ExpandItems(Items in, Items& out);
  bool SplitDotted(const Item& word, Items& parts) const;
  bool Invoke(const Macro& m, const Item& name, Items& stack, Items& result);
  bool Arguments(const Macro& m, const Item& name, Items& stack, std::vector<Items>& args, Item& close);
  void Substitute(const Macro& m, const std::vector<Items>& args, const Item& name, Items& result);
  Items Operand(const Macro& m, const std::vector<Items>& args, size_t& i, bool pasted);
  Token Stringize(const Items& arg, const Token& at) const;
  void Paste(Items& result, const Items& right, const Token& at);
  bool Charge(size_t tokens, const Token& at);

  static bool Hidden(const HideSet& hide, const std::string& name);
  HideSet With(const HideSet& hide, const std::string& name);
  static HideSet Common(const HideSet& a, const HideSet& b);

  Reporter report_;
  std::map<std::string, Macro> macros_;
  std::map<std::pair<const void*, std::string>, HideSet> grown_;
  std::vector<HideSet> keep_;
  size_t expanded_ = 0;
  bool overBudget_ = false;
  int depth_ = 0;
};

}  // namespace package
