#pragma once
// Pascal units and include files that scripts include so that their string
// tables share ids with the code: their constant declarations read as
// #define lines, everything else dropped.
//
// Read: `Name = expression;` in `const` sections (which end at the next
// section or block word: type, var, procedure, begin, implementation ...),
// among `{ }`, `(* *)` and `//` comments. Expressions take decimal and `$`
// hexadecimal numbers, 'quoted' strings ('' is a quote; #13 and #$0D
// characters; strings joined with +), True and False, names of other
// constants, + - * div mod and or xor not shl shr and parentheses, with
// Pascal's precedence. A declaration with anything else (typed constants
// `Name: Type = ...`, sets, reals, function calls, casts) is left out.

#include <string>

namespace package {

// A file of Pascal: by its name, .pas, .pp, .dpr or .dpk; an .inc unless
// a line of it starts with '#' (then it is a C include file).
bool IsPascalFile(const std::string& name, const std::string& text);

// The text's constant declarations as "#define Name value" lines, each on
// the line its declaration starts, so that the preprocessor's messages
// name the right line; every other line empty.
std::string PascalDefines(const std::string& text);

}  // namespace package
