#pragma once
// What the script compiler's tests share: scripts and headers held in
// memory, a compile of a script text, and the check for a single error.

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "package/rc/rc_compile.h"
#include "package/res/res_file.h"

namespace rc_test {

using package::CompiledScript;
using package::Diagnostic;
using package::ResEntry;
using package::ResId;

inline const char* const kScript = "C:\\proj\\t.rc";

// Scripts and headers held in memory, by path.
class Files {
 public:
  void Add(const std::string& path, const std::string& text) { files_[path] = text; }
  package::FileReader Reader() const {
    return [this](const std::string& path, std::string& text) {
      auto it = files_.find(path);
      if (it == files_.end()) return false;
      text = it->second;
      return true;
    };
  }

 private:
  std::map<std::string, std::string> files_;
};

struct Compiled {
  bool ok = false;
  CompiledScript result;

  std::vector<Diagnostic> Errors() const {
    std::vector<Diagnostic> errors;
    for (const Diagnostic& d : result.diagnostics) {
      if (d.error) errors.push_back(d);
    }
    return errors;
  }
  const ResEntry* Find(const ResId& type, const ResId& name) const {
    for (const ResEntry& e : result.entries) {
      if (e.type == type && e.name == name) return &e;
    }
    return nullptr;
  }
};

inline Compiled Compile(const std::string& text, const Files& files = Files()) {
  Compiled c;
  c.ok = package::CompileScript(kScript, text, files.Reader(), c.result);
  return c;
}

// One error, at `line` of `file`, whose message contains `part`.
inline ::testing::AssertionResult HasOnlyError(const Compiled& c, int line, const std::string& part,
                                        const std::string& file = kScript) {
  const std::vector<Diagnostic> errors = c.Errors();
  std::string all;
  for (const Diagnostic& d : c.result.diagnostics) all += "\n  " + package::FormatDiagnostic(d);
  if (c.ok) return ::testing::AssertionFailure() << "compiled without errors";
  if (errors.size() != 1) return ::testing::AssertionFailure() << errors.size() << " errors:" << all;
  const Diagnostic& d = errors[0];
  if (d.line != line || d.file != file || d.message.find(part) == std::string::npos)
    return ::testing::AssertionFailure() << "expected " << file << "(" << line << ") with \"" << part
                                         << "\", got:" << all;
  return ::testing::AssertionSuccess();
}

inline std::vector<uint8_t> Words(std::initializer_list<uint16_t> words) {
  std::vector<uint8_t> b;
  for (uint16_t w : words) {
    b.push_back(static_cast<uint8_t>(w & 0xFF));
    b.push_back(static_cast<uint8_t>(w >> 8));
  }
  return b;
}

}  // namespace rc_test
