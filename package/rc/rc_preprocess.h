#pragma once
// The script preprocessor: #define and #undef of object-like macros and their
// expansion, #if/#ifdef/#ifndef/#elif/#else/#endif, #include of headers and
// further scripts, #pragma code_page, #error.
//
// Headers (.h, .hpp, .c) contribute only their directives, as resource
// compilers read them. The system headers of the Windows SDK are not read:
// the constants scripts take from them are built into the compiler.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "package/rc/rc_files.h"
#include "package/rc/rc_tokens.h"

namespace package {

// The errors one compile reports; the next one becomes kTooManyErrors, at
// its place, and the compile stops there.
constexpr size_t kMaxErrors = 100;
constexpr const char* kTooManyErrors = "more than 100 errors; the compile stops here";

// Reads a whole file; false if it cannot be opened.
using FileReader = std::function<bool(const std::string& path, std::string& text)>;


struct PreprocessedScript {
  std::vector<std::string> files;  // by Token::fileIndex; [0] is the script
  std::vector<Token> tokens;       // the script's tokens after preprocessing
  std::vector<Diagnostic> diagnostics;
  // A Windows header was included: names the headers define (VS_VERSION_INFO,
  // RT_MANIFEST) then stand for their numbers as resource names and types too.
  bool systemHeaders = false;
};

void Preprocess(const std::string& path, const std::string& text, const FileReader& reader,
                PreprocessedScript& out);


}  // namespace package
