#pragma once
// Integer expressions over script tokens, as #if lines and resource
// statements write them: numbers, names, parentheses, unary - ~ ! and the
// C binary operators from * down to ||, with C's precedence.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "package/rc/rc_tokens.h"

namespace package {

// Gives the value of a name; false if the name is unknown.
using NameLookup = std::function<bool(const Token& name, int64_t& value)>;

// Binding strength of the binary operators, for ReadExpression's floor.
constexpr int kPrecLogicalOr = 1;
constexpr int kPrecBitOr = 3;
constexpr int kPrecBitXor = 4;

// Reads the longest expression starting at tokens[pos] whose binary operators
// bind at least as strongly as `minPrecedence`, and leaves pos after it. On a
// fault returns false with `error` and the index of the token it was found at
// (the last token when the expression runs to the end).
bool ReadExpression(const std::vector<Token>& tokens, size_t& pos, const NameLookup& lookup,
                    int minPrecedence, int64_t& value, std::string& error, size_t& errorAt);

// Makes each quoted token of an #if line the number its C character
// constant stands for ('a' is 97, '\377' is -1, written "(-1)"); false with
// `error` for a constant C refuses.
bool ReplaceCharacterConstants(std::vector<Token>& expr, std::string& error);

}  // namespace package
