#pragma once
// The script preprocessor: the directives (#define and #undef of object-like
// and function-like macros, #if/#ifdef/#ifndef/#elif/#else/#endif with
// `defined` and C character constants, #include of "file", <file> or a
// macro naming one, #include_next, #pragma once and code_page, #line,
// #error, #warning) and the expansion of macros in the text.
//
// RC_INVOKED and _WIN32 are predefined (1), as the platform's resource
// compiler defines them, so headers guarded by #ifndef RC_INVOKED are
// skipped; WORKSHOP_INVOKED (1) too, as the Borland tools define it. Headers (.h, .hpp, .c) contribute only their directives, as
// resource compilers read them. The system headers of the Windows SDK are
// not read: the constants scripts take from them are built into the
// compiler, and once one is included those constants count as defined for
// #ifdef and stand for their values in #if. An included Pascal unit gives
// its constants as #define lines (rc_pascal.h).

#include <cstddef>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "package/rc/rc_codepage.h"
#include "package/rc/rc_files.h"
#include "package/rc/rc_tokens.h"

namespace package {

// The errors one compile reports; the next one becomes kTooManyErrors, at
// its place, and the compile stops there.
constexpr size_t kMaxErrors = 100;
constexpr const char* kTooManyErrors = "more than 100 errors; the compile stops here";

// Reads a whole file; false if it cannot be opened.
using FileReader = std::function<bool(const std::string& path, std::string& text)>;

// What the command line adds to a compile.
struct PreprocessOptions {
  // Folders searched, in order, after the script's own folder (and, for
  // "file", the including file's): -i and -I, then the INCLUDE variable.
  std::vector<std::string> includeDirs;
  std::vector<std::pair<std::string, std::string>> defines;  // -d name[=value]
  int codePage = kDefaultCodePage;  // -c: the script's code page until a #pragma says otherwise
};

struct PreprocessedScript {
  std::vector<std::string> files;  // by Token::fileIndex; [0] is the script
  std::vector<Token> tokens;       // the script's tokens after preprocessing
  // The texts of the files whose statements are compiled (by file index;
  // empty for headers), for the lines diagnostics show.
  std::vector<std::string> texts;
  // Token::macro's names: [n] is macro number n's.
  std::vector<std::string> macroNames;
  std::vector<Diagnostic> diagnostics;
  // A Windows header was included: names the headers define (VS_VERSION_INFO,
  // RT_MANIFEST) then stand for their numbers as resource names and types too.
  bool systemHeaders = false;
};

void Preprocess(const std::string& path, const std::string& text, const FileReader& reader,
                const PreprocessOptions& options, PreprocessedScript& out);

inline void Preprocess(const std::string& path, const std::string& text, const FileReader& reader,
                       PreprocessedScript& out) {
  Preprocess(path, text, reader, PreprocessOptions(), out);
}

}  // namespace package
