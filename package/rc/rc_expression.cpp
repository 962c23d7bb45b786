// Precedence-climbing evaluation of script expressions.

#include "package/rc/rc_expression.h"

namespace package {

namespace {

int BinaryPrecedence(const Token& t) {
  if (t.kind != TokenKind::Punct) return 0;
  static const struct {
    const char* op;
    int prec;
  } kOps[] = {{"||", 1}, {"&&", 2}, {"|", 3},  {"^", 4},  {"&", 5},  {"==", 6}, {"!=", 6},
              {"<", 7},  {">", 7},  {"<=", 7}, {">=", 7}, {"<<", 8}, {">>", 8}, {"+", 9},
              {"-", 9},  {"*", 10}, {"/", 10}, {"%", 10}};
  for (const auto& o : kOps) {
    if (t.text == o.op) return o.prec;
  }
  return 0;
}

// Arithmetic wraps as unsigned does: the scripts mean 32-bit values anyway.
int64_t Wrap(uint64_t v) { return static_cast<int64_t>(v); }

// Parentheses and unary operators nested deeper than this are refused.
constexpr int kMaxDepth = 256;

class Evaluator {
 public:
  Evaluator(const std::vector<Token>& tokens, size_t& pos, const NameLookup& lookup)
      : t_(tokens), pos_(pos), lookup_(lookup) {}

  bool Binary(int minPrec, int64_t& value) {
    if (!Unary(value)) return false;
    while (pos_ < t_.size()) {
      const int prec = BinaryPrecedence(t_[pos_]);
      if (prec == 0 || prec < minPrec) break;
      const Token op = t_[pos_++];
      int64_t rhs = 0;
      if (!Binary(prec + 1, rhs)) return false;
      if (!Apply(op, value, rhs)) return false;
    }
    return true;
  }

  std::string error;
  int errorLine = 0;

 private:
  bool Fail(const std::string& message, int line) {
    error = message;
    errorLine = line;
    return false;
  }

  int LastLine() const {
    if (pos_ < t_.size()) return t_[pos_].line;
    return t_.empty() ? 0 : t_.back().line;
  }

  bool Unary(int64_t& value) {
    if (pos_ >= t_.size()) return Fail("expression expected", LastLine());
    if (++depth_ > kMaxDepth) return Fail("expression nested too deeply", t_[pos_].line);
    const bool ok = UnaryBody(value);
    --depth_;
    return ok;
  }

  bool UnaryBody(int64_t& value) {
    const Token& t = t_[pos_];
    if (IsPunct(t, "-") || IsPunct(t, "~") || IsPunct(t, "!") || IsPunct(t, "+")) {
      ++pos_;
      if (!Unary(value)) return false;
      if (t.text == "-") value = Wrap(0 - static_cast<uint64_t>(value));
      if (t.text == "~") value = ~value;
      if (t.text == "!") value = !value;
      return true;
    }
    if (IsPunct(t, "(")) {
      ++pos_;
      if (!Binary(kPrecLogicalOr, value)) return false;
      if (pos_ >= t_.size() || !IsPunct(t_[pos_], ")")) return Fail("')' expected", LastLine());
      ++pos_;
      return true;
    }
    if (t.kind == TokenKind::Number) {
      value = t.value;
      ++pos_;
      return true;
    }
    if (t.kind == TokenKind::Identifier) {
      if (!lookup_(t, value)) return Fail("undefined symbol '" + t.text + "'", t.line);
      ++pos_;
      return true;
    }
    if (t.kind == TokenKind::String) return Fail("number expected, found a string", t.line);
    return Fail("number expected, found '" + t.text + "'", t.line);
  }

  bool Apply(const Token& op, int64_t& lhs, int64_t rhs) {
    const std::string& o = op.text;
    if ((o == "/" || o == "%") && rhs == 0) return Fail("division by zero", op.line);
    if (o == "||") lhs = lhs || rhs;
    else if (o == "&&") lhs = lhs && rhs;
    else if (o == "|") lhs |= rhs;
    else if (o == "^") lhs ^= rhs;
    else if (o == "&") lhs &= rhs;
    else if (o == "==") lhs = lhs == rhs;
    else if (o == "!=") lhs = lhs != rhs;
    else if (o == "<") lhs = lhs < rhs;
    else if (o == ">") lhs = lhs > rhs;
    else if (o == "<=") lhs = lhs <= rhs;
    else if (o == ">=") lhs = lhs >= rhs;
    else if (o == "<<") lhs = static_cast<int64_t>(static_cast<uint64_t>(lhs) << (rhs & 63));
    else if (o == ">>") lhs >>= (rhs & 63);
    else if (o == "+") lhs = Wrap(static_cast<uint64_t>(lhs) + static_cast<uint64_t>(rhs));
    else if (o == "-") lhs = Wrap(static_cast<uint64_t>(lhs) - static_cast<uint64_t>(rhs));
    else if (o == "*") lhs = Wrap(static_cast<uint64_t>(lhs) * static_cast<uint64_t>(rhs));
    else if (o == "/") lhs = rhs == -1 ? Wrap(0 - static_cast<uint64_t>(lhs)) : lhs / rhs;
    else if (o == "%") lhs = rhs == -1 ? 0 : lhs % rhs;
    return true;
  }

  const std::vector<Token>& t_;
  size_t& pos_;
  const NameLookup& lookup_;
  int depth_ = 0;
};

}  // namespace

bool ReadExpression(const std::vector<Token>& tokens, size_t& pos, const NameLookup& lookup,
                    int minPrecedence, int64_t& value, std::string& error, int& errorLine) {
  Evaluator e(tokens, pos, lookup);
  if (e.Binary(minPrecedence, value)) return true;
  error = e.error;
  errorLine = e.errorLine;
  return false;
}

}  // namespace package
