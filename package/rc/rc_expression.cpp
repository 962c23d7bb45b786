// Precedence-climbing evaluation of script expressions.

#include "package/rc/rc_expression.h"

namespace package {

namespace {

// An operator's spelling packed into one number ("<<" is 0x3C3C), so that
// the evaluator picks operators without comparing strings.
constexpr uint32_t Op(char a, char b = '\0') {
  return (static_cast<uint32_t>(static_cast<unsigned char>(a)) << (b == '\0' ? 0 : 8)) |
         static_cast<unsigned char>(b);
}

uint32_t OperatorCode(const Token& t) {
  if (t.kind != TokenKind::Punct || t.text.empty() || t.text.size() > 2) return 0;
  return Op(t.text[0], t.text.size() == 2 ? t.text[1] : '\0');
}

int BinaryPrecedence(uint32_t op) {
  switch (op) {
    case Op('|', '|'): return 1;
    case Op('&', '&'): return 2;
    case Op('|'): return 3;
    case Op('^'): return 4;
    case Op('&'): return 5;
    case Op('=', '='):
    case Op('!', '='): return 6;
    case Op('<'):
    case Op('>'):
    case Op('<', '='):
    case Op('>', '='): return 7;
    case Op('<', '<'):
    case Op('>', '>'): return 8;
    case Op('+'):
    case Op('-'): return 9;
    case Op('*'):
    case Op('/'):
    case Op('%'): return 10;
    default: return 0;
  }
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
      const uint32_t op = OperatorCode(t_[pos_]);
      const int prec = BinaryPrecedence(op);
      if (prec == 0 || prec < minPrec) break;
      const size_t opAt = pos_++;
      int64_t rhs = 0;
      if (!Binary(prec + 1, rhs)) return false;
      if (!Apply(op, opAt, value, rhs)) return false;
    }
    return true;
  }

  std::string error;
  size_t errorAt = 0;  // the token the fault is at (its index)

 private:
  bool Fail(const std::string& message, size_t at) {
    error = message;
    errorAt = at;
    return false;
  }

  size_t LastAt() const { return pos_ < t_.size() || t_.empty() ? pos_ : t_.size() - 1; }

  bool Unary(int64_t& value) {
    if (pos_ >= t_.size()) return Fail("expression expected", LastAt());
    if (++depth_ > kMaxDepth) return Fail("expression nested too deeply", pos_);
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
      if (pos_ >= t_.size() || !IsPunct(t_[pos_], ")")) return Fail("')' expected", LastAt());
      ++pos_;
      return true;
    }
    if (t.kind == TokenKind::Number) {
      if (t.numberFault) return Fail(NumberFault(t), pos_);
      value = t.value;
      ++pos_;
      return true;
    }
    if (t.kind == TokenKind::Identifier) {
      if (!lookup_(t, value)) return Fail("undefined symbol '" + t.text + "'", pos_);
      ++pos_;
      return true;
    }
    if (t.kind == TokenKind::String) return Fail("number expected, found a string", pos_);
    return Fail("number expected, found '" + t.text + "'", pos_);
  }

  bool Apply(uint32_t op, size_t at, int64_t& lhs, int64_t rhs) {
    const uint64_t l = static_cast<uint64_t>(lhs);
    const uint64_t r = static_cast<uint64_t>(rhs);
    if ((op == Op('/') || op == Op('%')) && rhs == 0) return Fail("division by zero", at);
    switch (op) {
      case Op('|', '|'): lhs = lhs || rhs; break;
      case Op('&', '&'): lhs = lhs && rhs; break;
      case Op('|'): lhs |= rhs; break;
      case Op('^'): lhs ^= rhs; break;
      case Op('&'): lhs &= rhs; break;
      case Op('=', '='): lhs = lhs == rhs; break;
      case Op('!', '='): lhs = lhs != rhs; break;
      case Op('<'): lhs = lhs < rhs; break;
      case Op('>'): lhs = lhs > rhs; break;
      case Op('<', '='): lhs = lhs <= rhs; break;
      case Op('>', '='): lhs = lhs >= rhs; break;
      case Op('<', '<'): lhs = static_cast<int64_t>(l << (rhs & 63)); break;
      case Op('>', '>'): lhs >>= (rhs & 63); break;
      case Op('+'): lhs = Wrap(l + r); break;
      case Op('-'): lhs = Wrap(l - r); break;
      case Op('*'): lhs = Wrap(l * r); break;
      case Op('/'): lhs = rhs == -1 ? Wrap(0 - l) : lhs / rhs; break;
      case Op('%'): lhs = rhs == -1 ? 0 : lhs % rhs; break;
      default: break;
    }
    return true;
  }

  const std::vector<Token>& t_;
  size_t& pos_;
  const NameLookup& lookup_;
  int depth_ = 0;
};

}  // namespace

bool ReadExpression(const std::vector<Token>& tokens, size_t& pos, const NameLookup& lookup,
                    int minPrecedence, int64_t& value, std::string& error, size_t& errorAt) {
  Evaluator e(tokens, pos, lookup);
  if (e.Binary(minPrecedence, value)) return true;
  error = e.error;
  errorAt = e.errorAt;
  return false;
}

bool ReplaceCharacterConstants(std::vector<Token>& expr, std::string& error) {
  std::vector<Token> out;
  for (Token& t : expr) {
    int64_t v = 0;
    if (t.kind != TokenKind::Quoted) {
      out.push_back(std::move(t));
      continue;
    }
    if (!CharacterValue(t, v, error)) return false;
    auto add = [&out, &t](TokenKind kind, const std::string& text) {
      out.push_back(t);
      out.back().kind = kind;
      out.back().text = text;
    };
    const uint32_t magnitude = static_cast<uint32_t>(v < 0 ? -v : v);
    if (v < 0) add(TokenKind::Punct, "(");
    if (v < 0) add(TokenKind::Punct, "-");
    add(TokenKind::Number, std::to_string(magnitude));
    out.back().value = magnitude;
    if (v < 0) add(TokenKind::Punct, ")");
  }
  expr.swap(out);
  return true;
}

}  // namespace package
