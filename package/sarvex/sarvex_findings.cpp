// The checker's findings: order, title, clipboard text and editor command.

#include "package/sarvex/sarvex_findings.h"

#include <cctype>

namespace package {

Findings CollectFindings(const std::string& script, bool readable, const std::vector<Diagnostic>& diagnostics) {
  Findings f;
  f.script = script;
  if (!readable) {
    Diagnostic d;
    d.file = script;
    d.message = kCannotReadScript;
    f.rows.push_back(d);
    f.errors = 1;
    return f;
  }
  for (bool errors : {true, false}) {
    for (const Diagnostic& d : diagnostics) {
      if (d.error == errors) f.rows.push_back(d);
    }
  }
  f.errors = CountErrors(diagnostics);
  f.warnings = diagnostics.size() - f.errors;
  return f;
}

std::string FindingsTitle(const Findings& findings) {
  const size_t slash = findings.script.find_last_of("\\/:");
  const std::string name = slash == std::string::npos ? findings.script : findings.script.substr(slash + 1);
  return name + " - " + std::to_string(findings.errors) + " error(s), " + std::to_string(findings.warnings) +
         " warning(s)";
}

std::string FindingsText(const Findings& findings) {
  std::string text;
  for (const Diagnostic& d : findings.rows) text += FormatDiagnostic(d) + "\r\n";
  return text;
}

std::string FindingSource(const Diagnostic& row) { return SourceExcerpt(row, "\r\n"); }

std::string EditorCommand(const Diagnostic& row) { return "notepad.exe \"" + row.file + "\""; }

uint64_t ScriptKey(const std::string& fullPath) {
  // FNV-1a over the path with '/' as '\' and letters in one case.
  uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : fullPath) {
    hash ^= c == '/' ? '\\' : static_cast<unsigned char>(tolower(c));
    hash *= 1099511628211ull;
  }
  return hash;
}

}  // namespace package
