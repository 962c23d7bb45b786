#pragma once
// The preprocessor's macros: the table of definitions and their expansion.
//
// Object-like and function-like macros with arguments (nested calls,
// parenthesised, empty and string arguments), '#' (stringizing), '##'
// (pasting) and variadic macros ("..." with __VA_ARGS__, or "name...", and
// __VA_OPT__(...) kept only when variable arguments are given), as C
// preprocessors expand them: every token remembers the macros it came out
// of, which are not expanded again on it, and arguments are expanded fully
// before they are put in, unless they are stringized or pasted. __LINE__
// and __FILE__ are built in.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
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
  std::vector<int> bodyParams;  // the parameter each body token names, or -1
  uint32_t id = 0;              // the name's number in the table's hide sets
  // A body with __VA_OPT__(...): the macro used when no variable arguments
  // are given (the body above is the one used when they are).
  std::shared_ptr<const Macro> withoutVarArgs;
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
  bool Defined(const std::string& name) const {
    return macros_.count(name) != 0 || name == "__LINE__" || name == "__FILE__";
  }
  // The name __FILE__ stands for from now on: the file being read, or what
  // #line named it.
  void SetFileName(const std::string& name) { fileName_ = name; }
  // Every name defined so far, by its number (Token::macro); [0] is empty.
  std::vector<std::string> Names() const;

  // Expands `in`, whose tokens it takes (leaving them moved from), and
  // appends the result to `out`. A function-like macro's arguments may run
  // on past the end of a line, not past the end of `in`.
  void Expand(std::vector<Token>& in, std::vector<Token>& out) { Expand(in, 0, in.size(), out); }
  // The same for in[from, to).
  void Expand(std::vector<Token>& in, size_t from, size_t to, std::vector<Token>& out);

 private:
  // A set of macro names as an index into hideSets_; 0 is the empty set.
  using HideSet = uint32_t;
  struct Item {
    Token token;
    HideSet hide = 0;  // the macros this token came out of
  };
  using Items = std::vector<Item>;
  // Where expansion reads from: the tokens an expansion gave back, to be
  // rescanned (the next at the back), then the rest of the input, which is
  // the text being expanded (its tokens taken) or an argument (copied).
  struct Source {
    Items pushed;
    std::vector<Token>* tokens = nullptr;
    const Items* items = nullptr;
    size_t pos = 0;
    size_t end = 0;
    bool Empty() const { return pushed.empty() && pos >= end; }
    const Token& Next() const;
    Item Take();
  };

  template <typename Out>
  void Run(Source& src, Out& out);
  void ExpandArgument(const Items& arg, Items& out);
  bool SplitDotted(const Item& word, Items& parts) const;
  bool ReplaceBuiltin(Token& t) const;
  bool Invoke(const Macro& m, const Item& name, Source& src, Items& result);
  bool Arguments(const Macro& m, const Item& name, Source& src, std::vector<Items>& args,
                 Item& close);
  bool ArgumentCount(const Macro& m, const Item& name, std::vector<Items>& args);
  void Substitute(const Macro& m, const std::vector<Items>& args, const Item& name, Items& result);
  void Operand(const Macro& m, const std::vector<Items>& args, size_t& i, bool pasted,
               Items& result);
  Token Stringize(const Items& arg, const Token& at) const;
  size_t Paste(Items& result, size_t left, size_t right, const Token& at, size_t& end);
  bool Charge(size_t tokens, const Token& at);

  // Token vectors are reused rather than made anew for every expansion.
  Items Borrow();
  void Give(Items& items);

  bool Hidden(HideSet hide, uint32_t name) const;
  HideSet With(HideSet hide, uint32_t name);
  HideSet Union(HideSet a, HideSet b);
  HideSet Common(HideSet a, HideSet b);

  Reporter report_;
  std::string fileName_;
  std::unordered_map<std::string, Macro> macros_;
  std::unordered_map<std::string, uint32_t> names_;  // every name ever defined, numbered
  std::vector<std::vector<uint32_t>> hideSets_{1};   // [0] is the empty set
  std::unordered_map<uint64_t, HideSet> grown_;      // (set, name) -> the set with the name
  std::vector<Items> spare_;
  std::vector<std::vector<Items>> spareArgs_;
  size_t expanded_ = 0;
  bool overBudget_ = false;
  int depth_ = 0;
};

}  // namespace package
