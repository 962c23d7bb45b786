#pragma once
// Resource-script tokens and diagnostics: the lexer that turns script text
// into identifiers, numbers, strings, punctuation and preprocessor lines, and
// the decoding of string literals into bytes or UTF-16 text.
//
// The lexer reports the faults it can see by itself (unterminated string
// literals and comments, stray characters) at their lines and columns and keeps
// going, so one pass finds every such fault in a script.

#include <cstdint>
#include <string>
#include <vector>

#include "package/rc/rc_codepage.h"

namespace package {

struct Diagnostic {
  std::string file;  // as named on the command line or in #include
  int line = 0;
  // In characters of the line as an editor shows it (a tab is one, a
  // character of a multi-byte code page is one); 0 where no line is meant
  // (a script that cannot be read).
  int column = 0;
  bool error = true;  // false: a warning
  std::string message;
  std::string text;  // the line itself, as the file holds it; empty when unknown
};

// "file(line,column): error: message" (or "warning:"), as compilers print
// them; "file(line): ..." where the diagnostic has no column.
std::string FormatDiagnostic(const Diagnostic& d);
// The line's text and, under it, a caret at the column (the text's own tabs
// kept before it, so it lines up whatever the tab width); empty without text.
std::string SourceExcerpt(const Diagnostic& d, const char* lineEnd = "\n");
// FormatDiagnostic, then the excerpt on the lines after it.
std::string FormatDiagnosticWithSource(const Diagnostic& d, const char* lineEnd = "\n");
// Fills each diagnostic's text from `texts`, the files' texts by their
// names in `files`, where a diagnostic's line lies in its file.
void AttachSourceLines(std::vector<Diagnostic>& diagnostics, const std::vector<std::string>& files,
                       const std::vector<std::string>& texts);
size_t CountErrors(const std::vector<Diagnostic>& diagnostics);

// Quoted: text between single quotes, as Resource Workshop writes a
// resource's bytes in hexadecimal ('42 4D F6 00').
enum class TokenKind { Identifier, Number, String, Punct, Directive, Quoted };

struct Token {
  TokenKind kind = TokenKind::Punct;
  std::string text;      // identifier, punctuation, a directive's line after '#',
                         // or a string's (or Quoted's) source text between the quotes
  uint32_t value = 0;    // Number
  bool isLong = false;   // Number with an L suffix
  // A Number is any preprocessing number ("000NAME", "1e"), as C
  // preprocessors take it; what is wrong with it as a value is reported only
  // where a value is read (NumberFault).
  uint8_t numberFault = 0;
  bool wide = false;     // String written L"..."
  // A string literal joined from several: where the second one began.
  int joinedLine = 0;
  int joinedColumn = 0;
  bool firstOnLine = false;
  bool spaceBefore = false;  // white space or a line end came before it (for '#')
  int line = 0;
  int column = 0;        // see Diagnostic::column; a macro's tokens take the use's
  uint32_t macro = 0;    // the macro the token came out of (its number, 0: none)
  int fileIndex = 0;     // into the script's file list
  int codePage = 1252;   // the code page in force where the token was read
};

// Lexes `text`. Directive lines (a '#' first on its line) become one
// Directive token with continuation lines joined. A CR ends a line whether a
// LF follows or not, as old editors wrote files. Faults are appended to
// `diagnostics` under `fileName`.
// `codePage` is the text's code page, which a #pragma code_page line
// changes for the lines after it: in a double-byte code page the second
// byte of a character inside a string literal is never a backslash or a
// quote, whatever its value.
void Lex(const std::string& text, const std::string& fileName, int fileIndex,
         std::vector<Token>& tokens, std::vector<Diagnostic>& diagnostics, int codePage = kDefaultCodePage);

// What is wrong with a Number token as a value ("malformed number '1x'"),
// or empty.
std::string NumberFault(const Token& t);

// True when `text` is one preprocessing token of C (an identifier, a
// preprocessing number, a string or character constant, one punctuator),
// as a '##' must make.
bool IsOnePreprocessingToken(const std::string& text);

// True for the identifier `word` compared without regard to case.
bool IsWord(const Token& t, const char* word);
bool IsPunct(const Token& t, const char* punct);

// A string literal's value with its escapes resolved, as bytes in the code
// page the script was written in (narrow), and as UTF-16 text.
std::string StringBytes(const Token& t);
std::u16string StringText(const Token& t);

// A wide literal (L"...") whose value is `text`: printable ASCII as itself
// ('"' doubled, '\\' escaped), every other character as a four-digit \x
// escape, so that the literal reads back the same in any code page.
std::string WideLiteral(const std::u16string& text);

// Adjacent string literals become one, as the peers join them wherever a
// string is taken: wide if any of them is wide, its value their values in
// turn (a narrow one read in its own code page).
void JoinAdjacentStrings(std::vector<Token>& tokens);

// The bytes of a Quoted token's hexadecimal pairs; false with `error` set
// for anything else in it.
bool HexBytes(const Token& t, std::vector<uint8_t>& bytes, std::string& error);

// The value of a Quoted token read as a C character constant, as #if
// takes one ('a', '\n', '\x41'; char is signed, several characters make
// one int); false with `error` set when it is empty.
bool CharacterValue(const Token& t, int64_t& value, std::string& error);

// The spelling of a token as it stands in a script: a string with its
// quotes (and L), a number or word as written.
std::string Spelling(const Token& t);

}  // namespace package
