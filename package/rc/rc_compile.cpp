// The structural checks and the compile entry point; the statements
// themselves are read by rc::ParseStatements (rc_parser.h).

#include "package/rc/rc_compile.h"

#include "package/rc/rc_parser.h"

namespace package {

void CheckBlocks(const PreprocessedScript& script, std::vector<Diagnostic>& diagnostics) {
  std::vector<const Token*> open;
  size_t errors = CountErrors(diagnostics);
  auto report = [&](const Token& t, const std::string& message) {
    if (errors > kMaxErrors) return;
    Diagnostic d;
    d.file = script.files[static_cast<size_t>(t.fileIndex)];
    d.line = t.line;
    d.message = ++errors > kMaxErrors ? kTooManyErrors : message;
    diagnostics.push_back(d);
  };
  for (const Token& t : script.tokens) {
    if (IsWord(t, "BEGIN") || IsPunct(t, "{")) {
      open.push_back(&t);
    } else if (IsWord(t, "END") || IsPunct(t, "}")) {
      if (open.empty())
        report(t, IsPunct(t, "}") ? "'}' without matching '{'" : "END without matching BEGIN");
      else
        open.pop_back();
    }
  }
  for (const Token* t : open)
    report(*t, IsPunct(*t, "{") ? "'{' without matching '}'" : "BEGIN without matching END");
}

std::u16string ScriptResourceName(const std::string& path) {
  std::string base = path.substr(path.find_last_of("\\/") + 1);
  const size_t dot = base.find_last_of('.');
  if (dot != std::string::npos && dot > 0) base.erase(dot);
  return rc::Upper(rc::Widen(base));
}

bool CompileScript(const std::string& path, const std::string& text, const FileReader& reader,
                   const CompileOptions& options, CompiledScript& out) {
  out = CompiledScript();
  for (char c : text) out.lineCount += c == '\n' ? 1 : 0;
  if (!text.empty() && text.back() != '\n') ++out.lineCount;

  PreprocessedScript script;
  Preprocess(path, text, reader, options.preprocess, script);
  out.diagnostics = script.diagnostics;
  CheckBlocks(script, out.diagnostics);
  if (CountErrors(out.diagnostics) > 0) return false;

  if (!rc::ParseStatements(script, reader, out.entries, out.diagnostics, options.language)) return false;
  if (!options.scriptText) return CountErrors(out.diagnostics) == 0;

  ResEntry source;
  source.type = ResId::Text(kScriptResourceType);
  source.name = ResId::Text(ScriptResourceName(path));
  source.language = kLangNeutral;
  source.memoryFlags = rc::kMemDefault;
  source.data.assign(text.begin(), text.end());
  out.entries.push_back(source);
  return CountErrors(out.diagnostics) == 0;
}

}  // namespace package
