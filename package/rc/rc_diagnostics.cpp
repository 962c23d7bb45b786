// The compiler's diagnostics as the user reads them: "file(line,column):
// error: message", the source line with a caret under the column, and the
// lines attached to diagnostics after the files were read.

#include <string>
#include <vector>

#include "package/rc/rc_tokens.h"

namespace package {

std::string FormatDiagnostic(const Diagnostic& d) {
  const std::string column = d.column > 0 ? "," + std::to_string(d.column) : std::string();
  return d.file + "(" + std::to_string(d.line) + column +
         "): " + (d.error ? "error: " : "warning: ") + d.message;
}

std::string SourceExcerpt(const Diagnostic& d, const char* lineEnd) {
  if (d.text.empty() || d.column <= 0) return std::string();
  std::string caret;
  int column = 1;
  // A well-formed UTF-8 sequence is one character, as the lexer counts it
  // in UTF-8 scripts; any other byte is one.
  for (size_t i = 0; i < d.text.size() && column < d.column; ++i) {
    const unsigned char c = static_cast<unsigned char>(d.text[i]);
    const size_t more = c >= 0xF0 && c <= 0xF4  ? 3
                        : c >= 0xE0 && c < 0xF0 ? 2
                        : c >= 0xC2 && c < 0xE0 ? 1
                                                : 0;
    size_t k = 0;
    while (k < more && i + 1 + k < d.text.size() &&
           (static_cast<unsigned char>(d.text[i + 1 + k]) & 0xC0) == 0x80)
      ++k;
    if (k == more) i += more;
    caret.push_back(c == '\t' ? '\t' : ' ');
    ++column;
  }
  while (column++ < d.column) caret.push_back(' ');
  return d.text + lineEnd + caret + "^";
}

std::string FormatDiagnosticWithSource(const Diagnostic& d, const char* lineEnd) {
  const std::string excerpt = SourceExcerpt(d, lineEnd);
  return FormatDiagnostic(d) + (excerpt.empty() ? std::string() : lineEnd + excerpt);
}

void AttachSourceLines(std::vector<Diagnostic>& diagnostics, const std::vector<std::string>& files,
                       const std::vector<std::string>& texts) {
  for (Diagnostic& d : diagnostics) {
    if (d.line <= 0 || !d.text.empty()) continue;
    for (size_t f = 0; f < files.size() && f < texts.size(); ++f) {
      if (files[f] != d.file || texts[f].empty()) continue;
      const std::string& s = texts[f];
      size_t from = 0;
      for (int line = 1; line < d.line && from != std::string::npos; ++line) {
        from = s.find_first_of("\r\n", from);
        if (from == std::string::npos) break;
        from += s.compare(from, 2, "\r\n") == 0 ? 2 : 1;
      }
      if (from == std::string::npos || from >= s.size()) break;
      size_t to = s.find_first_of("\r\n\x1A", from);
      if (to == std::string::npos) to = s.size();
      d.text = s.substr(from, to - from);
      break;
    }
  }
}

size_t CountErrors(const std::vector<Diagnostic>& diagnostics) {
  size_t n = 0;
  for (const Diagnostic& d : diagnostics) n += d.error ? 1 : 0;
  return n;
}

}  // namespace package
