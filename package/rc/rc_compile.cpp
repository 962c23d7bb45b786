// The compile entry point: the preprocessor, then the statements
// (rc::ParseStatements, rc_parser.h), then the lines the faults show.

#include "package/rc/rc_compile.h"

#include "package/rc/rc_parser.h"

namespace package {

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
  // Faults of the text itself (an unterminated string or comment) would
  // only make the statements fail again after them.
  if (CountErrors(out.diagnostics) == 0)
    rc::ParseStatements(script, reader, out.entries, out.diagnostics, options.language);
  AttachSourceLines(out.diagnostics, script.files, script.texts);
  if (CountErrors(out.diagnostics) > 0) return false;
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
