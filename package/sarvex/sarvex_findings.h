#pragma once
// What the checker found, as its findings window shows it: the rows (errors
// first, then warnings, each kind in the order found, each row as in the
// log), the window's title, the text the window copies to the clipboard,
// the editor command that opens a finding's file, and the key that tells a
// later run which window belongs to the same script.
//
// Plain standard C++: the window (sarvex_window.h) only displays this.

#include <cstdint>
#include <string>
#include <vector>

#include "package/rc/rc_tokens.h"

namespace package {

// The one fault of a script that cannot be read, at its line 0.
constexpr const char* kCannotReadScript = "cannot read the script";

struct Findings {
  std::string script;             // the path the checker was given
  std::vector<Diagnostic> rows;   // errors, then warnings
  size_t errors = 0;
  size_t warnings = 0;
};

// The findings of a check; an unreadable script is one error at its line 0.
Findings CollectFindings(const std::string& script, bool readable, const std::vector<Diagnostic>& diagnostics);

// "<script file name> - <n> error(s), <w> warning(s)".
std::string FindingsTitle(const Findings& findings);

// Every row as in the log, each ending in CRLF.
std::string FindingsText(const Findings& findings);

// What the window shows under the rows for the selected one: the line's text
// and, on the line below, a caret under the column (lines end in CRLF; best
// in a fixed-pitch font). Empty when the row has no line (an unreadable
// script, a fault in a file whose text is not known).
std::string FindingSource(const Diagnostic& row);

// The system editor on the file of one row: notepad.exe "<file>".
std::string EditorCommand(const Diagnostic& row);

// A key for the script's full path, the same whatever the letter case.
uint64_t ScriptKey(const std::string& fullPath);

}  // namespace package
