#pragma once
// The resource-script compiler shared by the checker and the compiler tools:
// the translation of the script's statements into .res entries.
//
// Statements compiled: LANGUAGE, STRINGTABLE, MENU, MENUEX, DIALOG, DIALOGEX,
// ACCELERATORS, VERSIONINFO, RCDATA, DLGINIT and user-defined types (inline
// data or a file), ICON, CURSOR, BITMAP, FONT, TOOLBAR, HTML and MESSAGETABLE.
// FONTDIR, animated icons and cursors, PLUGPLAY and VXD are refused with a
// message (rc_statements.cpp). The script's own text is added, as a
// resource of type "RCSCRIPT" named after the script's base name, only when
// the options ask for it: a program built from the script would otherwise
// ship its source, comments included.

#include <cstdint>
#include <string>
#include <vector>

#include "package/rc/preprocess/rc_preprocess.h"
#include "package/rc/rc_tokens.h"
#include "package/res/res_file.h"

namespace package {

// The type under which the script's own text is stored.
constexpr const char* kScriptResourceType = "RCSCRIPT";

struct CompiledScript {
  std::vector<ResEntry> entries;
  std::vector<Diagnostic> diagnostics;
  int lineCount = 0;  // lines of the script itself
};

// What the command line adds: include folders, defines, the default code
// page, the language of resources before any LANGUAGE statement, and
// whether the script's own text goes into the result.
struct CompileOptions {
  PreprocessOptions preprocess;
  uint16_t language = kLangEnglishUs;
  bool scriptText = false;
};

// Compiles the script at `path` whose text is `text`. Lexical and
// preprocessor faults are all reported, and then the statements are not
// read; a fault in a statement is reported and reading goes on at the next
// one. Every diagnostic gets the text of its line where the file is known.
// True when no error was reported.
bool CompileScript(const std::string& path, const std::string& text, const FileReader& reader,
                   const CompileOptions& options, CompiledScript& out);

inline bool CompileScript(const std::string& path, const std::string& text, const FileReader& reader,
                          CompiledScript& out) {
  return CompileScript(path, text, reader, CompileOptions(), out);
}

// "MENU" for "C:\dir\menu.rc": the script's base name, upper-cased.
std::u16string ScriptResourceName(const std::string& path);

}  // namespace package
